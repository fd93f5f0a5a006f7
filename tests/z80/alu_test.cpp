// Results and flags of the arithmetic, logic, rotate, bit and adjust instructions, and the
// disassembler's texts.
#include <gtest/gtest.h>

#include "flat_z80.h"

namespace {

// The 16-bit ADC/SBC half carry is bit 4 of (old L ^ (low byte of rr + c) ^ new L), with
// the low byte plus carry taken as one value: $FF + 1 = $100 has bit 4 clear.
TEST(Alu, ResultAndFlags) {
    struct Case {
        std::initializer_list<uint8_t> code; // one instruction at $0000
        uint8_t a;
        uint16_t hl, rr; // rr goes to BC and DE
        const char* flagsIn;
        uint8_t aOut;
        uint16_t hlOut;
        const char* flagsOut;
    };
    // clang-format off
    const Case cases[] = {
        {{0xC6, 0x01}, 0xFF, 0, 0, "",      0x00, 0, "ZHC"},    // ADD wraps
        {{0xC6, 0x01}, 0x7F, 0, 0, "N",     0x80, 0, "SHP"},    // ADD overflow, N cleared
        {{0xCE, 0x0F}, 0x00, 0, 0, "C",     0x10, 0, "H"},      // ADC half carry from the carry in
        {{0xCE, 0x7F}, 0x00, 0, 0, "C",     0x80, 0, "SHP"},    // ADC overflow by the carry in
        {{0xD6, 0x01}, 0x00, 0, 0, "",      0xFF, 0, "SHNC"},   // SUB borrow
        {{0xDE, 0x00}, 0x80, 0, 0, "C",     0x7F, 0, "HPN"},    // SBC overflow by the carry in
        {{0xFE, 0x01}, 0x00, 0, 0, "",      0x00, 0, "SHNC"},   // CP keeps A
        {{0xE6, 0x0F}, 0xF0, 0, 0, "C",     0x00, 0, "ZHP"},    // AND sets H, clears C
        {{0xAF},       0x5A, 0, 0, "SNC",   0x00, 0, "ZP"},     // XOR A
        {{0x3C},       0x7F, 0, 0, "C",     0x80, 0, "SHPC"},   // INC keeps C
        {{0x3D},       0x80, 0, 0, "C",     0x7F, 0, "HPNC"},   // DEC keeps C
        {{0x27},       0x3C, 0, 0, "",      0x42, 0, "HP"},     // DAA low step
        {{0x27},       0x9A, 0, 0, "",      0x00, 0, "ZHPC"},   // DAA both steps
        {{0x27},       0x0F, 0, 0, "HN",    0x15, 0, "HN"},     // DAA adds after a subtraction
        {{0x27},       0x9B, 0, 0, "",      0x01, 0, "HC"},     // high step sees the low step's
        {{0x27},       0xFA, 0, 0, "",      0x00, 0, "ZHP"},    // the low step wraps A
        {{0xED, 0x44}, 0x80, 0, 0, "",      0x80, 0, "SPNC"},   // NEG
        {{0x2F},       0x5A, 0, 0, "ZC",    0xA5, 0, "ZHNC"},   // CPL
        {{0x37},       0x00, 0, 0, "SHN",   0x00, 0, "SC"},     // SCF
        {{0x3F},       0x00, 0, 0, "HNC",   0x00, 0, "H"},      // CCF keeps the old H
        {{0x07},       0x81, 0, 0, "SZPHN", 0x03, 0, "SZPC"},   // RLCA keeps S Z P
        {{0xED, 0x57}, 0x33, 0, 0, "SZ",    0x00, 0, "SZ"},     // LD A,I keeps the flags
        {{0xCB, 0x27}, 0xC0, 0, 0, "HN",    0x80, 0, "SC"},     // SLA
        {{0xCB, 0x37}, 0x81, 0, 0, "SZHPNC",0x81, 0, "SZHPNC"}, // the empty row does nothing
        {{0xCB, 0x7F}, 0x7F, 0, 0, "SPNC",  0x7F, 0, "SZHPC"},  // BIT 7
        {{0xCB, 0xFF}, 0x00, 0, 0, "Z",     0x80, 0, "Z"},      // SET 7
        {{0x29},       0, 0x8000, 0,      "SZHPN", 0, 0x0000, "SZHPC"}, // ADD HL,HL: C only
        {{0xED, 0x4A}, 0, 0x7FFF, 0x0001, "",      0, 0x8000, "SHP"},
        {{0xED, 0x4A}, 0, 0x0FF0, 0x0010, "",      0, 0x1000, ""},      // no H from bit 11
        {{0xED, 0x5A}, 0, 0xFFFF, 0x0000, "C",     0, 0x0000, "ZHC"},
        {{0xED, 0x5A}, 0, 0x000F, 0x00FF, "C",     0, 0x010F, ""},
        {{0xED, 0x62}, 0, 0x1234, 0,      "C",     0, 0xFFFF, "SHNC"},
        {{0xED, 0x52}, 0, 0x0200, 0x00FF, "C",     0, 0x0100, "N"},
        {{0xED, 0x72}, 0, 0x0010, 0,      "",      0, 0x0010, "N"},     // SBC HL,SP with SP 0
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::vector<uint8_t>(c.code))
                                        << std::hex << " A=" << int(c.a) << " HL=" << c.hl);
        auto z = std::make_unique<FlatZ80>();
        z->m_reg.SetA(c.a);
        z->m_reg.HL = c.hl;
        z->m_reg.BC = z->m_reg.DE = c.rr;
        SetFlags(z->m_reg, c.flagsIn);
        z->Run(0, c.code);
        EXPECT_EQ(z->m_reg.A(), c.aOut);
        EXPECT_EQ(z->m_reg.HL, c.hlOut);
        EXPECT_EQ(FlagText(z->m_reg), c.flagsOut);
        EXPECT_EQ(z->m_reg.PC, c.code.size());
    }
}

// Disassembly texts: operand formats, relative targets, index offsets, undefined codes.
TEST(Disasm, Texts) {
    struct Case {
        std::vector<uint8_t> bytes;
        uint16_t addr;
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {{0x18, 0xFE}, 0x0100, "JR   0100"},
        {{0x38, 0x80}, 0x0010, "JR   C,FF92"},
        {{0xCB, 0x30}, 0, "???  B"},
        {{0xED, 0x43, 0x34, 0x12}, 0, "LD   (1234),BC"},
        {{0xED, 0x70}, 0, "???"},
        {{0xDD, 0x36, 0xFD, 0x41}, 0, "LD   (IX+-3),41"},
        {{0xFD, 0xCB, 0x05, 0xFE}, 0, "SET  7,(IY+5)"},
        {{0xDD, 0xCB, 0x02, 0x36}, 0, "???  (IX+2)"},
    };
    // clang-format on
    for (const Case& c : cases) {
        uint8_t b[6] = {};
        std::copy(c.bytes.begin(), c.bytes.end(), b);
        char text[CSimZ80::kDisasmSize + 8];
        std::memset(text, 'x', sizeof text);
        CSimZ80::Disasm(text, b, c.addr);
        EXPECT_STREQ(text, c.text);
    }
}

} // namespace
