// Operand fetch by addressing mode: effective addresses, register steps, and the exact
// order of every access (offsets and pointers low byte first, data after them).
#include "test_cpu.h"

namespace {

struct IndexedCase {
    const char* name;
    std::vector<uint8_t> post;      // postbyte and offset bytes after LDA ($A6)
    std::vector<uint16_t> offsetAt; // addresses of the offset reads, in order
    int pointerAt;                  // address of an indirect pointer, -1 for none
    uint16_t ea;                    // expected EA (ignored when indirect)
    uint16_t REG09::*changed;       // register stepped by the form, or nullptr
    uint16_t after;
};

// Guards each postbyte form: EA, register step, offset and pointer byte order, PC after.
// X=$2000 Y=$3000 U=$4000 S=$5000 W=$60F0 (E=$60, F=-16) D=$8180 (A=-127, B=-128).
const IndexedCase kIndexed[] = {
    {"5-bit -1", {0x1F}, {}, -1, 0x1FFF, nullptr, 0},
    {",X+", {0x80}, {}, -1, 0x2000, &REG09::X, 0x2001},
    {",Y++", {0xA1}, {}, -1, 0x3000, &REG09::Y, 0x3002},
    {",--S", {0xE3}, {}, -1, 0x4FFE, &REG09::S, 0x4FFE},
    {"B,X", {0x85}, {}, -1, 0x1F80, nullptr, 0},
    {"E,X", {0x87}, {}, -1, 0x2060, nullptr, 0},
    {"d8,X", {0x88, 0xFE}, {0x1002}, -1, 0x1FFE, nullptr, 0},
    {"d16,X", {0x89, 0x12, 0x34}, {0x1003, 0x1002}, -1, 0x3234, nullptr, 0},
    {"D,X no sign extension", {0x8B}, {}, -1, 0xA180, nullptr, 0},
    {"d8,PCR", {0x8C, 0x80}, {0x1002}, -1, 0x0F83, nullptr, 0},
    {",W", {0x8F}, {}, -1, 0x60F0, nullptr, 0},
    {"d16,W", {0xAF, 0x00, 0x10}, {0x1003, 0x1002}, -1, 0x6100, nullptr, 0},
    {",W++", {0xCF}, {}, -1, 0x60F0, &REG09::W, 0x60F2},
    {",--W", {0xEF}, {}, -1, 0x60EE, &REG09::W, 0x60EE},
    {"[,X]", {0x94}, {}, 0x2000, 0, nullptr, 0},
    {"[,X++]", {0x91}, {}, 0x2000, 0, &REG09::X, 0x2002},
    {"[,-X] undefined form", {0x92}, {}, 0x1FFF, 0, &REG09::X, 0x1FFF},
    {"[d16,S]", {0xF9, 0x01, 0x00}, {0x1003, 0x1002}, 0x5100, 0, nullptr, 0},
    {"[,W++]", {0xD0}, {}, 0x60F0, 0, &REG09::W, 0x60F2},
    {"[d16]", {0x9F, 0xC0, 0x00}, {0x1003, 0x1002}, 0xC000, 0, nullptr, 0},
    {"[d16] via $BF", {0xBF, 0xC0, 0x00}, {0x1003, 0x1002}, 0xC000, 0, nullptr, 0},
};

class AddressingTest : public CpuTest {
protected:
    void SetUp() override {
        for (int a = 0; a < 0x10000; a++)
            cpu.m_mem[a] = uint8_t(a * 13 + (a >> 8) * 7 + 1);
        reg.X = 0x2000, reg.Y = 0x3000, reg.U = 0x4000, reg.S = 0x5000;
        reg.W = 0x60F0, reg.D = 0x8180;
    }
};

TEST_F(AddressingTest, IndexedFormsComputeAddressStepAndReadInOrder) {
    for (const IndexedCase& t : kIndexed) {
        SCOPED_TRACE(t.name);
        SetUp();
        for (size_t i = 0; i < t.post.size(); i++)
            cpu.m_mem[0x1001 + i] = t.post[i];
        uint16_t ea = t.pointerAt >= 0 ? cpu.Word(uint16_t(t.pointerAt)) : t.ea;
        REG09 before = reg;
        cpu.Run({0xA6});
        Log want = {R(0x1000, 0xA6), R(0x1001, t.post[0])};
        for (uint16_t a : t.offsetAt)
            want.push_back(R(a, cpu.m_mem[a]));
        if (t.pointerAt >= 0) {
            uint16_t p = uint16_t(t.pointerAt);
            want.push_back(R(uint16_t(p + 1), cpu.m_mem[uint16_t(p + 1)]));
            want.push_back(R(p, cpu.m_mem[p]));
        }
        want.push_back(R(ea, cpu.m_mem[ea]));
        EXPECT_EQ(cpu.m_log, want);
        EXPECT_EQ(reg.A(), cpu.m_mem[ea]);
        EXPECT_EQ(reg.PC, 0x1001 + t.post.size());
        for (auto r : {&REG09::X, &REG09::Y, &REG09::U, &REG09::S, &REG09::W})
            EXPECT_EQ(reg.*r, r == t.changed ? t.after : before.*r);
    }
}

TEST_F(AddressingTest, DirectExtendedAndSixteenBitOrders) {
    reg.DP = 0x12;
    cpu.Run({0x96, 0x34}); // LDA <$34
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x96), R(0x1001, 0x34), R(0x1234, cpu.m_mem[0x1234])}));
    cpu.Run({0xFC, 0xFF, 0xFF}); // LDD $FFFF: address low first, data low (wrapped) first
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0xFC), R(0x1002, 0xFF), R(0x1001, 0xFF),
                              R(0x0000, cpu.m_mem[0]), R(0xFFFF, cpu.m_mem[0xFFFF])}));
    EXPECT_EQ(reg.D, cpu.m_mem[0xFFFF] << 8 | cpu.m_mem[0]);
    reg.D = 0xABCD;
    cpu.Run({0xFD, 0x20, 0x00}); // STD $2000: high byte first
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0xFD), R(0x1002, 0x00), R(0x1001, 0x20), W(0x2000, 0xAB),
                              W(0x2001, 0xCD)}));
    cpu.Run({0xCC, 0x12, 0x34}); // LDD #$1234: immediate high byte first
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0xCC), R(0x1001, 0x12), R(0x1002, 0x34)}));
    EXPECT_EQ(reg.D, 0x1234);
}

TEST_F(AddressingTest, RegisterSteppedByTheAddressIsSeenByTheInstruction) {
    cpu.Run({0xAF, 0x81}); // STX ,X++ stores the stepped X at the old X
    EXPECT_EQ(cpu.Word(0x2000), 0x2002);
    cpu.Poke(0x2002, {0x55, 0x66});
    cpu.Run({0xAE, 0x81}); // LDX ,X++ : the load overwrites the step
    EXPECT_EQ(reg.X, 0x5566);
    cpu.Poke(0x5000, {0x0A, 0x0B});
    cpu.Run({0xAD, 0xF1}); // JSR [,S++]: target read, S stepped, then the push
    EXPECT_EQ(reg.PC, 0x0A0B);
    EXPECT_EQ(reg.S, 0x5000);
    EXPECT_EQ(cpu.Word(0x5000), 0x1002);
}

} // namespace
