// Results and flags of the arithmetic, logic, rotate, bit and adjust instructions.
#include <gtest/gtest.h>

#include "flat_z80.h"

namespace {

TEST(Alu, EightBitResultAndFlags) {
    struct Case {
        std::vector<uint8_t> code; // one instruction at $0000, operand in A
        uint8_t a;
        const char* flagsIn;
        uint8_t aOut;
        const char* flagsOut;
    };
    // clang-format off
    const Case cases[] = {
        {{0xC6, 0x01}, 0xFF, "",     0x00, "ZHC"},  // ADD wraps
        {{0xC6, 0x01}, 0x7F, "N",    0x80, "SHP"},  // ADD overflow, N cleared
        {{0xCE, 0x0F}, 0x00, "C",    0x10, "H"},    // ADC half carry from the carry in
        {{0xCE, 0x7F}, 0x00, "C",    0x80, "SHP"},  // ADC overflow by the carry in
        {{0xD6, 0x01}, 0x00, "",     0xFF, "SHNC"}, // SUB borrow
        {{0xDE, 0x00}, 0x80, "C",    0x7F, "HPN"},  // SBC overflow by the carry in
        {{0xFE, 0x01}, 0x00, "",     0x00, "SHNC"}, // CP keeps A
        {{0xE6, 0x0F}, 0xF0, "C",    0x00, "ZHP"},  // AND sets H, clears C
        {{0xAF},       0x5A, "SNC",  0x00, "ZP"},   // XOR A
        {{0x3C},       0x7F, "C",    0x80, "SHPC"}, // INC keeps C
        {{0x3D},       0x80, "C",    0x7F, "HPNC"}, // DEC keeps C
        {{0x27},       0x3C, "",     0x42, "HP"},   // DAA low step
        {{0x27},       0x9A, "",     0x00, "ZHPC"}, // DAA both steps
        {{0x27},       0x0F, "HN",   0x15, "HN"},   // DAA adds even after a subtraction
        {{0x27},       0x9B, "",     0x01, "HC"},   // the high step sees the low step's result
        {{0x27},       0xFA, "",     0x00, "ZHP"},  // the low step wraps A
        {{0xED, 0x44}, 0x80, "",     0x80, "SPNC"}, // NEG
        {{0x2F},       0x5A, "ZC",   0xA5, "ZHNC"}, // CPL
        {{0x37},       0x00, "SHN",  0x00, "SC"},   // SCF
        {{0x3F},       0x00, "HNC",  0x00, "H"},    // CCF keeps the old H
        {{0x07},       0x81, "SZPHN",0x03, "SZPC"}, // RLCA keeps S Z P
        {{0xED, 0x57}, 0x33, "SZ",   0x00, "SZ"},   // LD A,I keeps the flags
        {{0xCB, 0x27}, 0xC0, "HN",   0x80, "SC"},   // SLA
        {{0xCB, 0x37}, 0x81, "SZHPNC",0x81,"SZHPNC"},// the empty row does nothing
        {{0xCB, 0x7F}, 0x7F, "SPNC", 0x7F, "SZHPC"},// BIT 7
        {{0xCB, 0xFF}, 0x00, "Z",    0x80, "Z"},    // SET 7
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.code[0]) << " " << int(c.code.back())
                                        << " A=" << int(c.a));
        auto z = std::make_unique<FlatZ80>();
        std::copy(c.code.begin(), c.code.end(), z->m_ram);
        z->m_reg.SetA(c.a);
        SetFlags(z->m_reg, c.flagsIn);
        z->Execute();
        EXPECT_EQ(z->m_reg.A(), c.aOut);
        EXPECT_EQ(FlagText(z->m_reg), c.flagsOut);
        EXPECT_EQ(z->m_reg.PC, c.code.size());
    }
}

// The ADC/SBC half carry is bit 4 of (old L ^ (low byte of rr + c) ^ new L), with
// the low byte plus carry taken as one value: $FF + 1 = $100 has bit 4 clear.
TEST(Alu, SixteenBitResultAndFlags) {
    struct Case {
        std::vector<uint8_t> code;
        uint16_t hl, rr; // rr goes to BC and DE
        const char* flagsIn;
        uint16_t hlOut;
        const char* flagsOut;
    };
    // clang-format off
    const Case cases[] = {
        {{0x29},       0x8000, 0,      "SZHPN", 0x0000, "SZHPC"}, // ADD HL,HL: C only
        {{0xED, 0x4A}, 0x7FFF, 0x0001, "",      0x8000, "SHP"},
        {{0xED, 0x4A}, 0x0FF0, 0x0010, "",      0x1000, ""},      // no H from bit 11
        {{0xED, 0x5A}, 0xFFFF, 0x0000, "C",     0x0000, "ZHC"},
        {{0xED, 0x5A}, 0x000F, 0x00FF, "C",     0x010F, ""},
        {{0xED, 0x62}, 0x1234, 0,      "C",     0xFFFF, "SHNC"},
        {{0xED, 0x52}, 0x0200, 0x00FF, "C",     0x0100, "N"},
        {{0xED, 0x72}, 0x0010, 0,      "",      0x0010, "N"},     // SBC HL,SP with SP 0
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.code.back()) << " " << c.hl);
        auto z = std::make_unique<FlatZ80>();
        std::copy(c.code.begin(), c.code.end(), z->m_ram);
        z->m_reg.HL = c.hl;
        z->m_reg.BC = z->m_reg.DE = c.rr;
        SetFlags(z->m_reg, c.flagsIn);
        z->Execute();
        EXPECT_EQ(z->m_reg.HL, c.hlOut);
        EXPECT_EQ(FlagText(z->m_reg), c.flagsOut);
    }
}

} // namespace
