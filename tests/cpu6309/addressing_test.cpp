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

constexpr uint8_t N = CC_N, Z = CC_Z, V = CC_V, C = CC_C;
constexpr uint32_t Q = 0x87654321;

// Each row runs from DP $20, S 0 (pushes wrap to $FFFF), CC Z|V|C and Q (D:W) as given, with
// $2000 = 12 34 56 78, $2010 = $0F, $0000 = BB CC, $FFFF = $AA.
struct OrderCase {
    std::initializer_list<uint8_t> code; // at $1000
    uint32_t q, wantQ;
    uint8_t wantCC;
    uint16_t pc;
    Log log;
};
// clang-format off
const OrderCase kOrders[] = {
    // Direct, extended (address low byte first; 16-bit data low first, wrapping), immediate.
    {{0x96, 0x34}, Q, 0x00654321, Z | C, 0x1002, {R(0x1000, 0x96), R(0x1001, 0x34), R(0x2034, 0)}},
    {{0xFC, 0xFF, 0xFF}, Q, 0xAABB4321, N | C, 0x1003,
     {R(0x1000, 0xFC), R(0x1002, 0xFF), R(0x1001, 0xFF), R(0x0000, 0xBB), R(0xFFFF, 0xAA)}},
    {{0xFD, 0x20, 0x00}, Q, Q, N | C, 0x1003, // STD: high byte first
     {R(0x1000, 0xFD), R(0x1002, 0x00), R(0x1001, 0x20), W(0x2000, 0x87), W(0x2001, 0x65)}},
    {{0xCC, 0x12, 0x34}, Q, 0x12344321, C, 0x1003,
     {R(0x1000, 0xCC), R(0x1001, 0x12), R(0x1002, 0x34)}},
    // OIM: immediate first; TIM: read only, V cleared.
    {{0x01, 0xF0, 0x10}, Q, Q, N | C, 0x1003,
     {R(0x1000, 0x01), R(0x1001, 0xF0), R(0x1002, 0x10), R(0x2010, 0x0F), W(0x2010, 0xFF)}},
    {{0x7B, 0x80, 0x20, 0x10}, Q, Q, Z | C, 0x1004,
     {R(0x1000, 0x7B), R(0x1001, 0x80), R(0x1003, 0x10), R(0x1002, 0x20), R(0x2010, 0x0F)}},
    // LDQ: EA+1, EA, EA+2, EA+3; STQ ascending.
    {{0x10, 0xFC, 0x20, 0x00}, Q, 0x12345678, C, 0x1004,
     {R(0x1000, 0x10), R(0x1001, 0xFC), R(0x1003, 0x00), R(0x1002, 0x20), R(0x2001, 0x34),
      R(0x2000, 0x12), R(0x2002, 0x56), R(0x2003, 0x78)}},
    {{0x10, 0xDD, 0x40}, Q, Q, N | C, 0x1003,
     {R(0x1000, 0x10), R(0x1001, 0xDD), R(0x1002, 0x40), W(0x2040, 0x87), W(0x2041, 0x65),
      W(0x2042, 0x43), W(0x2043, 0x21)}},
    // BSR, JSR: return address low byte first; RTS: high byte first.
    {{0x8D, 0x10}, Q, Q, Z | V | C, 0x1012,
     {R(0x1000, 0x8D), R(0x1001, 0x10), W(0xFFFF, 0x02), W(0xFFFE, 0x10)}},
    {{0xBD, 0x20, 0x00}, Q, Q, Z | V | C, 0x2000,
     {R(0x1000, 0xBD), R(0x1002, 0x00), R(0x1001, 0x20), W(0xFFFF, 0x03), W(0xFFFE, 0x10)}},
    {{0x39}, Q, Q, Z | V | C, 0xBBCC, {R(0x1000, 0x39), R(0x0000, 0xBB), R(0x0001, 0xCC)}},
};
// clang-format on

TEST_F(CpuTest, AccessOrderOfTheMemoryForms) {
    for (const OrderCase& t : kOrders) {
        SCOPED_TRACE(testing::PrintToString(std::vector<uint8_t>(t.code)));
        reg = REG09{};
        reg.DP = 0x20, reg.CC = Z | V | C;
        reg.SetQ(t.q);
        cpu.Poke(0x2000, {0x12, 0x34, 0x56, 0x78});
        cpu.Poke(0x0000, {0xBB, 0xCC});
        cpu.m_mem[0x2010] = 0x0F, cpu.m_mem[0xFFFF] = 0xAA;
        cpu.Run(t.code);
        EXPECT_EQ(cpu.m_log, t.log);
        EXPECT_EQ(reg.Q(), t.wantQ);
        EXPECT_EQ(reg.CC, t.wantCC);
        EXPECT_EQ(reg.PC, t.pc);
    }
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
