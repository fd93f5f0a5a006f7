// Disassembly texts.
#include <gtest/gtest.h>

#include "flat_z80.h"

namespace {

struct DisCase {
    std::vector<uint8_t> bytes;
    uint16_t addr;
    const char* text;
};

void PrintTo(const DisCase& c, std::ostream* os) {
    *os << c.text;
}

class DisasmTest : public testing::TestWithParam<DisCase> {};

TEST_P(DisasmTest, Text) {
    const DisCase& c = GetParam();
    uint8_t b[6] = {};
    for (size_t i = 0; i < c.bytes.size(); ++i)
        b[i] = c.bytes[i];
    char text[CSimZ80::kDisasmSize + 8];
    std::memset(text, 'x', sizeof text);
    CSimZ80::Disasm(text, b, c.addr);
    EXPECT_STREQ(text, c.text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Base, DisasmTest, testing::Values(
    DisCase{{0x00}, 0, "NOP"},
    DisCase{{0x76}, 0, "HALT"},
    DisCase{{0x08}, 0, "EX   AF,AF'"},
    DisCase{{0x18, 0xFE}, 0x0100, "JR   0100"},
    DisCase{{0x10, 0x00}, 0xFFFE, "DJNZ 0000"},
    DisCase{{0x38, 0x80}, 0x0010, "JR   C,FF92"},
    DisCase{{0x20, 0x7F}, 0x0000, "JR   NZ,0081"},
    DisCase{{0x31, 0x00, 0x80}, 0, "LD   SP,8000"},
    DisCase{{0x09}, 0, "ADD  HL,BC"},
    DisCase{{0x0A}, 0, "LD   A,(BC)"},
    DisCase{{0x22, 0x34, 0x12}, 0, "LD   (1234),HL"},
    DisCase{{0x3A, 0x34, 0x12}, 0, "LD   A,(1234)"},
    DisCase{{0x2B}, 0, "DEC  HL"},
    DisCase{{0x34}, 0, "INC  (HL)"},
    DisCase{{0x36, 0x0A}, 0, "LD   (HL),0A"},
    DisCase{{0x27}, 0, "DAA"},
    DisCase{{0x7E}, 0, "LD   A,(HL)"},
    DisCase{{0x96}, 0, "SUB  (HL)"},
    DisCase{{0x8F}, 0, "ADC  A,A"},
    DisCase{{0xE8}, 0, "RET  PE"},
    DisCase{{0xF1}, 0, "POP  AF"},
    DisCase{{0xF5}, 0, "PUSH AF"},
    DisCase{{0xFA, 0x00, 0x10}, 0, "JP   M,1000"},
    DisCase{{0xD4, 0x00, 0x10}, 0, "CALL NC,1000"},
    DisCase{{0xE6, 0x0F}, 0, "AND  0F"},
    DisCase{{0xCE, 0x01}, 0, "ADC  A,01"},
    DisCase{{0xE7}, 0, "RST  20"},
    DisCase{{0xC3, 0x34, 0x12}, 0, "JP   1234"},
    DisCase{{0xCD, 0x34, 0x12}, 0, "CALL 1234"},
    DisCase{{0xD3, 0xFE}, 0, "OUT  (FE),A"}));

INSTANTIATE_TEST_SUITE_P(Prefixed, DisasmTest, testing::Values(
    DisCase{{0xCB, 0x30}, 0, "???  B"},
    DisCase{{0xCB, 0x06}, 0, "RLC  (HL)"},
    DisCase{{0xCB, 0x7E}, 0, "BIT  7,(HL)"},
    DisCase{{0xCB, 0xDD}, 0, "SET  3,L"},
    DisCase{{0xED, 0x43, 0x34, 0x12}, 0, "LD   (1234),BC"},
    DisCase{{0xED, 0x7B, 0x00, 0x80}, 0, "LD   SP,(8000)"},
    DisCase{{0xED, 0x78}, 0, "IN   A,(C)"},
    DisCase{{0xED, 0x41}, 0, "OUT  (C),B"},
    DisCase{{0xED, 0x70}, 0, "???"},
    DisCase{{0xED, 0x71}, 0, "???"},
    DisCase{{0xED, 0x00}, 0, "???"},
    DisCase{{0xED, 0x4C}, 0, "???"},
    DisCase{{0xED, 0xBC}, 0, "???"},
    DisCase{{0xED, 0x52}, 0, "SBC  HL,DE"},
    DisCase{{0xED, 0x7A}, 0, "ADC  HL,SP"},
    DisCase{{0xED, 0x44}, 0, "NEG"},
    DisCase{{0xED, 0x5E}, 0, "IM   2"},
    DisCase{{0xED, 0x5F}, 0, "LD   A,R"},
    DisCase{{0xED, 0xB0}, 0, "LDIR"},
    DisCase{{0xDD, 0x36, 0xFD, 0x41}, 0, "LD   (IX+-3),41"},
    DisCase{{0xDD, 0x36, 0x80, 0xFF}, 0, "LD   (IX+-128),FF"},
    DisCase{{0xFD, 0xCB, 0x05, 0xFE}, 0, "SET  7,(IY+5)"},
    DisCase{{0xDD, 0xCB, 0x05, 0x00}, 0, "???"},
    DisCase{{0xDD, 0xCB, 0x02, 0x36}, 0, "???  (IX+2)"},
    DisCase{{0xFD, 0xCB, 0x02, 0x1E}, 0, "RR   (IY+2)"},
    DisCase{{0xDD, 0xCB, 0x02, 0x46}, 0, "BIT  0,(IX+2)"},
    DisCase{{0xDD, 0x00}, 0, "???"},
    DisCase{{0xDD, 0x76}, 0, "???"},
    DisCase{{0xFD, 0x29}, 0, "ADD  IY,IY"},
    DisCase{{0xDD, 0x21, 0x34, 0x12}, 0, "LD   IX,1234"},
    DisCase{{0xFD, 0x22, 0x34, 0x12}, 0, "LD   (1234),IY"},
    DisCase{{0xDD, 0x2A, 0x34, 0x12}, 0, "LD   IX,(1234)"},
    DisCase{{0xDD, 0x34, 0x02}, 0, "INC  (IX+2)"},
    DisCase{{0xDD, 0x66, 0x01}, 0, "LD   H,(IX+1)"},
    DisCase{{0xFD, 0x75, 0xFF}, 0, "LD   (IY+-1),L"},
    DisCase{{0xDD, 0x9E, 0x00}, 0, "SBC  A,(IX+0)"},
    DisCase{{0xDD, 0xBE, 0x07}, 0, "CP   (IX+7)"},
    DisCase{{0xDD, 0xE5}, 0, "PUSH IX"},
    DisCase{{0xDD, 0xE3}, 0, "EX   (SP),IX"}));
// clang-format on

} // namespace
