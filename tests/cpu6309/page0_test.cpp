// Page-0 instruction families: results and flags (including the flags each row must
// leave alone), memory access patterns, transfers, branches, stack lists and the
// opcodes that trap.
#include "test_cpu.h"

namespace {

using Log = std::vector<Access>;
constexpr uint8_t N = CC_N, Z = CC_Z, V = CC_V, C = CC_C, H = CC_H;

struct ByteCase {
    const char* name;
    uint8_t op; // A-group immediate opcode; the B group is op + $40
    uint8_t a, m, ccIn, result, ccOut;
};

const ByteCase kByteOps[] = {
    {"ADD half carry", 0x8B, 0x01, 0x0F, 0, 0x10, H},
    {"ADD overflow and carry", 0x8B, 0x80, 0x80, 0, 0x00, Z | V | C},
    {"ADD keeps E F I", 0x8B, 0x01, 0x01, 0xD0 | N, 0x02, 0xD0},
    {"ADC H from M+C as one operand", 0x89, 0x00, 0x0F, C, 0x10, 0},
    {"ADC H set", 0x89, 0x08, 0x08, C, 0x11, H},
    {"ADC carry in gives carry out", 0x89, 0xFF, 0x00, C, 0x00, Z | C | H},
    {"SUB borrow", 0x80, 0x00, 0x01, H, 0xFF, H | N | C},
    {"SUB overflow", 0x80, 0x80, 0x01, 0, 0x7F, V},
    {"CMP stores nothing", 0x81, 0x00, 0x01, 0, 0x00, N | C},
    {"SBC borrow in", 0x82, 0x00, 0x00, C, 0xFF, N | C},
    {"SBC overflow with borrow", 0x82, 0x80, 0x00, C, 0x7F, V},
    {"AND clears V keeps C", 0x84, 0xF3, 0x0F, V | C, 0x03, C},
    {"BIT stores nothing", 0x85, 0x80, 0x80, Z, 0x80, N},
    {"LD", 0x86, 0x55, 0x00, N | V | C, 0x00, Z | C},
    {"EOR", 0x88, 0xFF, 0x0F, 0, 0xF0, N},
    {"OR", 0x8A, 0x00, 0x00, N | V, 0x00, Z},
};

TEST_F(CpuTest, AccumulatorByteOperationsOnAAndB) {
    for (const ByteCase& t : kByteOps) {
        for (bool onB : {false, true}) {
            SCOPED_TRACE(std::string(t.name) + (onB ? " B" : " A"));
            reg.D = onB ? uint16_t(0x3300 | t.a) : uint16_t(t.a << 8 | 0x33);
            reg.CC = t.ccIn;
            cpu.Run({uint8_t(t.op + (onB ? 0x40 : 0)), t.m});
            bool stores = t.op != 0x81 && t.op != 0x85;
            uint8_t want = stores ? t.result : t.a;
            EXPECT_EQ(onB ? reg.B() : reg.A(), want);
            EXPECT_EQ(onB ? reg.A() : reg.B(), 0x33);
            EXPECT_EQ(reg.CC, t.ccOut);
            EXPECT_EQ(cpu.m_log.size(), 2u);
        }
    }
}

struct UnaryCase {
    const char* name;
    uint8_t nib; // low nibble of the $4x/$5x/$0x/$6x/$7x opcodes
    uint8_t m, ccIn, result, ccOut;
};

const UnaryCase kUnary[] = {
    {"NEG $80", 0x0, 0x80, 0, 0x80, N | V | C},
    {"NEG $00", 0x0, 0x00, C, 0x00, Z},
    {"COM", 0x3, 0x00, V, 0xFF, N | C},
    {"LSR keeps V", 0x4, 0x01, V | N, 0x00, V | Z | C},
    {"ROR carry in", 0x6, 0x01, C, 0x80, N | C},
    {"ASR keeps sign", 0x7, 0x81, 0, 0xC0, N | C},
    {"ASL overflow", 0x8, 0x40, C, 0x80, N | V},
    {"ROL out of bit 7", 0x9, 0x80, 0, 0x00, Z | V | C},
    {"DEC $80", 0xA, 0x80, C, 0x7F, V | C},
    {"DEC $00", 0xA, 0x00, 0, 0xFF, N},
    {"INC $7F", 0xC, 0x7F, C, 0x80, N | V | C},
    {"TST", 0xD, 0x00, V | C | H, 0x00, Z | C | H},
    {"CLR", 0xF, 0x55, N | V | C | H, 0x00, Z | H},
};

TEST_F(CpuTest, UnaryOperationsOnRegistersAndMemory) {
    for (const UnaryCase& t : kUnary) {
        SCOPED_TRACE(t.name);
        for (uint8_t row : {0x40, 0x50}) {
            reg.D = row == 0x40 ? uint16_t(t.m << 8 | 0x33) : uint16_t(0x3300 | t.m);
            reg.CC = t.ccIn;
            cpu.Run({uint8_t(row | t.nib)});
            EXPECT_EQ(row == 0x40 ? reg.A() : reg.B(), t.result);
            EXPECT_EQ(row == 0x40 ? reg.B() : reg.A(), 0x33);
            EXPECT_EQ(reg.CC, t.ccOut);
        }
        // Extended memory form: one read (not CLR), one write (not TST).
        cpu.m_mem[0x2345] = t.m;
        reg.CC = t.ccIn;
        cpu.Run({uint8_t(0x70 | t.nib), 0x23, 0x45});
        Log want = {R(0x1000, uint8_t(0x70 | t.nib)), R(0x1002, 0x45), R(0x1001, 0x23)};
        if (t.nib != 0xF) want.push_back(R(0x2345, t.m));
        if (t.nib != 0xD) want.push_back(W(0x2345, t.result));
        EXPECT_EQ(cpu.m_log, want);
        EXPECT_EQ(reg.CC, t.ccOut);
    }
}

TEST_F(CpuTest, MemoryImmediateGroupReadsItsImmediateFirst) {
    reg.DP = 0x20;
    cpu.m_mem[0x2010] = 0x0F;
    cpu.Run({0x01, 0xF0, 0x10}); // OIM #$F0,<$10
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x01), R(0x1001, 0xF0), R(0x1002, 0x10), R(0x2010, 0x0F),
                              W(0x2010, 0xFF)}));
    EXPECT_EQ(reg.CC, N);
    reg.X = 0x2010;
    cpu.Run({0x62, 0x0F, 0x84}); // AIM #$0F,,X
    EXPECT_EQ(cpu.m_mem[0x2010], 0x0F);
    cpu.Run({0x75, 0x0F, 0x20, 0x10}); // EIM #$0F,$2010
    EXPECT_EQ(cpu.m_mem[0x2010], 0x00);
    EXPECT_EQ(reg.CC, Z);
    cpu.m_mem[0x2010] = 0x81;
    reg.CC = V | C;
    cpu.Run({0x7B, 0x80, 0x20, 0x10}); // TIM #$80,$2010: read only
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x7B), R(0x1001, 0x80), R(0x1003, 0x10), R(0x1002, 0x20),
                              R(0x2010, 0x81)}));
    EXPECT_EQ(reg.CC, N | C);
    cpu.Run({0x6E, 0x84}); // JMP ,X accesses nothing at its target
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x6E), R(0x1001, 0x84)}));
    EXPECT_EQ(reg.PC, 0x2010);
}

struct WordCase {
    const char* name;
    uint8_t op;
    uint16_t reg, m;
    uint8_t ccIn;
    uint16_t result;
    uint8_t ccOut;
};

const WordCase kWordOps[] = {
    {"ADDD carry, H untouched", 0xC3, 0xFFFF, 0x0001, H, 0x0000, H | Z | C},
    {"ADDD overflow", 0xC3, 0x7FFF, 0x0001, 0, 0x8000, N | V},
    {"SUBD borrow", 0x83, 0x0000, 0x0001, 0, 0xFFFF, N | C},
    {"SUBD overflow", 0x83, 0x8000, 0x0001, 0, 0x7FFF, V},
    {"LDD", 0xCC, 0x0000, 0x8000, V | C, 0x8000, N | C},
};

TEST_F(CpuTest, SixteenBitGroup) {
    for (const WordCase& t : kWordOps) {
        SCOPED_TRACE(t.name);
        reg.D = t.reg;
        reg.CC = t.ccIn;
        cpu.Run({t.op, uint8_t(t.m >> 8), uint8_t(t.m)});
        EXPECT_EQ(reg.D, t.result);
        EXPECT_EQ(reg.CC, t.ccOut);
    }
    reg.X = 0x1234;
    cpu.Run({0x8C, 0x12, 0x35}); // CMPX
    EXPECT_EQ(reg.X, 0x1234);
    EXPECT_EQ(reg.CC, N | C);
    reg.U = 0x8001;
    cpu.Run({0xDF, 0x40}); // STU <$40
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0xDF), R(0x1001, 0x40), W(0x0040, 0x80), W(0x0041, 0x01)}));
    EXPECT_EQ(reg.CC, N | C);
}

TEST_F(CpuTest, InherentMiscellany) {
    struct {
        uint8_t a, cc, result, ccOut;
    } daa[] = {{0x41, H, 0x47, H}, {0x9A, 0, 0x00, Z | C}, {0x95, 0, 0x95, N}, {0x00, C, 0x60, C}};
    for (auto& t : daa) {
        reg.SetA(t.a);
        reg.CC = t.cc;
        cpu.Run({0x19});
        EXPECT_EQ(reg.A(), t.result);
        EXPECT_EQ(reg.CC, t.ccOut);
    }
    reg.D = 0xFFFF;
    reg.CC = V;
    cpu.Run({0x3D}); // MUL
    EXPECT_EQ(reg.D, 0xFE01);
    EXPECT_EQ(reg.CC, V);
    reg.D = 0x0180;
    cpu.Run({0x3D});
    EXPECT_EQ(reg.D, 0x0080);
    EXPECT_EQ(reg.CC, V | C);
    reg.D = 0x1200;
    cpu.Run({0x3D});
    EXPECT_EQ(reg.CC, V | Z);
    reg.D = 0xAA05;
    reg.CC = N | Z | C;
    cpu.Run({0x1D}); // SEX
    EXPECT_EQ(reg.D, 0x0005);
    EXPECT_EQ(reg.CC, C);
    reg.W = 0x8000;
    cpu.Run({0x14}); // SEXW
    EXPECT_EQ(reg.D, 0xFFFF);
    EXPECT_EQ(reg.CC, N | C);
    reg.X = 0xFFFF;
    reg.D = 0x00FF;
    cpu.Run({0x3A}); // ABX: unsigned
    EXPECT_EQ(reg.X, 0x00FE);
    for (uint8_t op : {0x12, 0x13}) { // NOP and SYNC: one read, nothing else
        REG09 before = reg;
        cpu.Run({op});
        before.PC = 0x1001;
        EXPECT_EQ(reg, before);
        EXPECT_EQ(cpu.m_log.size(), 1u);
    }
    reg.CC = 0x0F;
    cpu.Run({0x1A, 0x50}); // ORCC
    EXPECT_EQ(reg.CC, 0x5F);
    cpu.Run({0x1C, 0xAF}); // ANDCC
    EXPECT_EQ(reg.CC, 0x0F);
}

struct TransferCase {
    const char* name;
    uint8_t op, post;
    uint16_t d, x, w;
    uint16_t wantD, wantX, wantW;
};

// The source and destination widths decide; D/A and W/E overlap.
const TransferCase kTransfers[] = {
    {"TFR X,A", 0x1F, 0x18, 0x1122, 0x3344, 0, 0x4422, 0x3344, 0},
    {"TFR A,X keeps X high", 0x1F, 0x81, 0x1122, 0x3344, 0, 0x1122, 0x3311, 0},
    {"TFR D,W", 0x1F, 0x06, 0x1122, 0, 0x5566, 0x1122, 0, 0x1122},
    {"TFR F,B", 0x1F, 0xF9, 0x1122, 0, 0x5566, 0x1166, 0, 0x5566},
    {"EXG A,X", 0x1E, 0x81, 0x1122, 0x3344, 0, 0x4422, 0x0011, 0},
    {"EXG X,A", 0x1E, 0x18, 0x1122, 0x3344, 0, 0x4422, 0x0011, 0},
    {"EXG D,A overlap", 0x1E, 0x08, 0x1122, 0, 0, 0x2211, 0, 0},
    {"EXG D,W", 0x1E, 0x06, 0x1122, 0, 0x5566, 0x5566, 0, 0x1122},
    {"EXG E,F", 0x1E, 0xEF, 0, 0, 0x5566, 0, 0, 0x6655},
};

TEST_F(CpuTest, RegisterTransfers) {
    for (const TransferCase& t : kTransfers) {
        SCOPED_TRACE(t.name);
        reg.D = t.d, reg.X = t.x, reg.W = t.w, reg.CC = 0;
        cpu.Run({t.op, t.post});
        EXPECT_EQ(reg.D, t.wantD);
        EXPECT_EQ(reg.X, t.wantX);
        EXPECT_EQ(reg.W, t.wantW);
        EXPECT_EQ(reg.CC, 0);
    }
    cpu.Run({0x1F, 0x51}); // TFR PC,X sees the address after the postbyte
    EXPECT_EQ(reg.X, 0x1002);
    reg.X = 0x4000;
    cpu.Run({0x1F, 0x15}); // TFR X,PC jumps
    EXPECT_EQ(reg.PC, 0x4000);
    reg.SetA(0xC5);
    cpu.Run({0x1F, 0x8A}); // TFR A,CC
    EXPECT_EQ(reg.CC, 0xC5);
}

TEST_F(CpuTest, StoreIntoZeroIsKeptUntilReset) {
    reg.D = 0x5A00;
    cpu.Run({0x1F, 0x8C}); // TFR A,ZERO
    EXPECT_EQ(reg.ZERO, 0x5A);
    cpu.Run({0x1F, 0xD9}); // TFR ZERO(13),B
    EXPECT_EQ(reg.B(), 0x5A);
    cpu.Run({0x1F, 0xC1}); // TFR ZERO,X changes only the low byte
    EXPECT_EQ(reg.X & 0xFF, 0x5A);
    cpu.ResetRegisters();
    EXPECT_EQ(reg.ZERO, 0);
}

// For each branch: a CC under which it is taken and one under which it is not.
struct BranchCase {
    uint8_t op, ccTaken, ccNot;
};
const BranchCase kBranches[] = {
    {0x22, 0, C},
    {0x22, N | V, Z},
    {0x23, Z, 0},
    {0x23, C, N},
    {0x24, Z, C},
    {0x25, C, Z},
    {0x26, C, Z},
    {0x27, Z, N},
    {0x28, N, V},
    {0x29, V, C},
    {0x2A, V, N},
    {0x2B, N, V},
    {0x2C, N | V, N},
    {0x2C, 0, V},
    {0x2D, N, N | V},
    {0x2D, V, 0},
    {0x2E, N | V, Z | N | V},
    {0x2E, 0, N},
    {0x2F, Z, 0},
    {0x2F, N, N | V},
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
    cpu.Run({0x20, 0x80}); // BRA
    EXPECT_EQ(reg.PC, 0x1002 - 128);
    cpu.Run({0x21, 0x00}); // BRN
    EXPECT_EQ(reg.PC, 0x1002);
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x21), R(0x1001, 0x00)}));
    cpu.Run({0x16, 0x80, 0x00}); // LBRA, offset high byte first, wraps
    EXPECT_EQ(reg.PC, 0x9003);
}

TEST_F(CpuTest, SubroutinesPushTheReturnAddressLowByteFirst) {
    reg.S = 0x0000;
    cpu.Run({0x8D, 0x10}); // BSR: S wraps, first byte at $FFFF
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x8D), R(0x1001, 0x10), W(0xFFFF, 0x02), W(0xFFFE, 0x10)}));
    EXPECT_EQ(reg.PC, 0x1012);
    cpu.Run({0x17, 0x01, 0x00}); // LBSR
    EXPECT_EQ(reg.PC, 0x1103);
    EXPECT_EQ(reg.S, 0xFFFC);
    cpu.Run({0xBD, 0x20, 0x00}); // JSR $2000
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0xBD), R(0x1002, 0x00), R(0x1001, 0x20), W(0xFFFB, 0x03),
                              W(0xFFFA, 0x10)}));
    cpu.Run({0x39}); // RTS: high byte first
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x39), R(0xFFFA, 0x10), R(0xFFFB, 0x03)}));
    EXPECT_EQ(reg.PC, 0x1003);
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
    EXPECT_EQ(cpu.m_log.size(), 14u);
    EXPECT_EQ(cpu.m_log[2], R(0x7FF4, 0x01));
    EXPECT_EQ(cpu.m_log[13], R(0x7FFF, 0x02));
    EXPECT_EQ(reg.PC, 0x1002);
    pushed.PC = 0x1002, pushed.S = 0x8000;
    EXPECT_EQ(reg, pushed);
    reg.U = 0x4000;
    cpu.Run({0x36, 0x40}); // PSHU S
    EXPECT_EQ(cpu.Word(0x3FFE), 0x8000);
    cpu.Run({0x37, 0x40}); // PULU S
    EXPECT_EQ(reg.S, 0x8000);
    EXPECT_EQ(reg.U, 0x4000);
}

TEST_F(CpuTest, LoadEffectiveAddress) {
    reg.X = 0x0001;
    reg.CC = N | V | C;
    cpu.Run({0x30, 0x1F}); // LEAX -1,X
    EXPECT_EQ(reg.CC, N | Z | V | C);
    cpu.Run({0x31, 0x01}); // LEAY 1,X
    EXPECT_EQ(reg.CC, N | V | C);
    reg.CC = 0;
    cpu.Run({0x32, 0x84}); // LEAS ,X (X = 0): no flags, no access at the EA
    EXPECT_EQ(reg.CC, 0);
    EXPECT_EQ(cpu.m_log.size(), 2u);
}

} // namespace
