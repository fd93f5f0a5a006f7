// Branches, stack lists, TFM, and the mode and zero registers.
#include "test_cpu.h"

namespace {

constexpr uint8_t N = CC_N, Z = CC_Z, V = CC_V, C = CC_C;

// For each conditional branch: a CC under which it is taken and one under which it is not.
struct BranchCase {
    uint8_t op, ccTaken, ccNot;
};
const BranchCase kBranches[] = {
    {0x22, N | V, Z}, {0x22, 0, C},     {0x23, C, N},     {0x24, Z, C},
    {0x25, C, Z},     {0x26, C, Z},     {0x27, Z, N},     {0x28, N, V},
    {0x29, V, C},     {0x2A, V, N},     {0x2B, N, V},     {0x2C, N | V, N},
    {0x2D, V, N | V}, {0x2E, 0, N},     {0x2E, N | V, Z | N | V},
    {0x2F, Z, 0},     {0x2F, N, N | V},
};

TEST_F(CpuTest, ShortAndLongBranchConditions) {
    for (const BranchCase& t : kBranches) {
        for (bool taken : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << std::hex << int(t.op) << (taken ? " taken" : " not"));
            reg.CC = taken ? t.ccTaken : t.ccNot;
            cpu.Run({t.op, 0xFE});
            EXPECT_EQ(reg.PC, taken ? 0x1000 : 0x1002);
            EXPECT_EQ(cpu.m_log.size(), 2u); // the offset is read either way
            cpu.Run({0x10, t.op, 0xFF, 0xFC});
            EXPECT_EQ(reg.PC, taken ? 0x1000 : 0x1004);
            EXPECT_EQ(cpu.m_log.size(), 4u);
        }
    }
    cpu.Run({0x21, 0x00}); // BRN
    EXPECT_EQ(reg.PC, 0x1002);
    cpu.Run({0x16, 0x80, 0x00}); // LBRA, offset high byte first, wraps
    EXPECT_EQ(reg.PC, 0x9003);
}

TEST_F(CpuTest, StackListsInOrder) {
    reg = REG09{};
    reg.CC = 0x01, reg.D = 0x0203, reg.DP = 0x04, reg.X = 0x0506, reg.Y = 0x0708;
    reg.U = 0x090A, reg.S = 0x8000, reg.W = 0xEEFF;
    cpu.Run({0x34, 0xFF}); // PSHS all: PC low first, CC last
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x34), R(0x1001, 0xFF), W(0x7FFF, 0x02), W(0x7FFE, 0x10),
                              W(0x7FFD, 0x0A), W(0x7FFC, 0x09), W(0x7FFB, 0x08), W(0x7FFA, 0x07),
                              W(0x7FF9, 0x06), W(0x7FF8, 0x05), W(0x7FF7, 0x04), W(0x7FF6, 0x03),
                              W(0x7FF5, 0x02), W(0x7FF4, 0x01)}));
    REG09 pushed = reg;
    reg.CC = 0, reg.D = 0, reg.DP = 0, reg.X = 0, reg.Y = 0, reg.U = 0;
    cpu.Run({0x35, 0xFF}, 0x3000); // PULS all: CC first, PC last
    EXPECT_EQ(cpu.m_log[2], R(0x7FF4, 0x01));
    EXPECT_EQ(cpu.m_log[13], R(0x7FFF, 0x02));
    pushed.PC = 0x1002, pushed.S = 0x8000;
    EXPECT_EQ(reg, pushed);
    cpu.Run({0x10, 0x38}); // PSHSW: E at the lower address
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x10), R(0x1001, 0x38), W(0x7FFF, 0xFF), W(0x7FFE, 0xEE)}));
    reg.W = 0;
    cpu.Run({0x10, 0x39}); // PULSW
    EXPECT_EQ(reg.W, 0xEEFF);
    EXPECT_EQ(reg.S, 0x8000);
}

// Each TFM moves W bytes, read then write, stepping each pointer its own way.
TEST_F(CpuTest, BlockTransfers) {
    struct {
        uint8_t op, post;
        uint16_t x, y;
        Log moves;
        uint16_t wantX, wantY;
    } cases[] = {
        {0x38, 0x12, 0x2000, 0x3000,
         {R(0x2000, 1), W(0x3000, 1), R(0x2001, 2), W(0x3001, 2), R(0x2002, 3), W(0x3002, 3)},
         0x2003, 0x3003},
        {0x39, 0x12, 0x2002, 0x3002,
         {R(0x2002, 3), W(0x3002, 3), R(0x2001, 2), W(0x3001, 2), R(0x2000, 1), W(0x3000, 1)},
         0x1FFF, 0x2FFF},
        {0x3A, 0x12, 0x2000, 0x3000,
         {R(0x2000, 1), W(0x3000, 1), R(0x2001, 2), W(0x3000, 2), R(0x2002, 3), W(0x3000, 3)},
         0x2003, 0x3000},
        {0x3B, 0x12, 0x2000, 0x3000,
         {R(0x2000, 1), W(0x3000, 1), R(0x2000, 1), W(0x3001, 1), R(0x2000, 1), W(0x3002, 1)},
         0x2000, 0x3003},
        {0x38, 0x11, 0x2000, 0, // same register: both steps apply
         {R(0x2000, 1), W(0x2001, 1), R(0x2002, 3), W(0x2003, 3), R(0x2004, 0), W(0x2005, 0)},
         0x2006, 0},
    };
    for (auto& t : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(t.op) << " " << int(t.post));
        cpu.Poke(0x2000, {1, 2, 3, 0, 0, 0});
        reg.X = t.x, reg.Y = t.y, reg.W = 3, reg.CC = 0x55;
        cpu.Run({0x11, t.op, t.post});
        Log want = {R(0x1000, 0x11), R(0x1001, t.op), R(0x1002, t.post)};
        want.insert(want.end(), t.moves.begin(), t.moves.end());
        EXPECT_EQ(cpu.m_log, want);
        EXPECT_EQ(reg.X, t.wantX);
        EXPECT_EQ(reg.Y, t.wantY);
        EXPECT_EQ(reg.W, 0);
        EXPECT_EQ(reg.CC, 0x55);
        EXPECT_EQ(reg.PC, 0x1003);
    }
    cpu.Run({0x11, 0x38, 0x12}); // W = 0: only the postbyte is read
    EXPECT_EQ(cpu.m_log.size(), 3u);
}

TEST_F(CpuTest, BlockTransferWithABadPointerTrapsWithNothingMoved) {
    cpu.SetVector(0xFFF0, 0xF000);
    for (uint8_t post : {0x45, 0x16, 0x05, 0x50, 0xFF}) {
        SCOPED_TRACE(int(post));
        reg = REG09{};
        reg.S = 0x8000, reg.W = 2;
        cpu.Run({0x11, 0x38, post});
        EXPECT_EQ(reg.MD, MD_IL);
        EXPECT_EQ(reg.W, 2);
        EXPECT_EQ(cpu.Word(0x8000 - 2), 0x1003);
        EXPECT_EQ(cpu.m_log.size(), 3u + 12 + 2);
    }
}

TEST_F(CpuTest, ModeAndZeroRegisters) {
    reg.MD = 0x81, reg.CC = 0;
    cpu.Run({0x11, 0x3C, 0x40}); // BITMD #$40: Z, and the error bits clear anyway
    EXPECT_EQ(reg.CC, Z);
    EXPECT_EQ(reg.MD, 0x01);
    reg.MD = 0xC0, reg.CC = 0x0F;
    cpu.Run({0x11, 0x3D, 0x01}); // LDMD
    EXPECT_EQ(reg.MD, MD_NM);
    EXPECT_EQ(reg.CC, 0x0F);
    reg.D = 0x5A00;
    cpu.Run({0x1F, 0x8C}); // TFR A,ZERO: kept until reset
    cpu.Run({0x1F, 0xD9}); // TFR ZERO(13),B
    EXPECT_EQ(reg.B(), 0x5A);
    cpu.ResetRegisters();
    EXPECT_EQ(reg.ZERO, 0);
}

} // namespace
