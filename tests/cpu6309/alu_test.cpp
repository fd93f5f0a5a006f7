// Results and flags of the register operations of all three pages, including the flags
// each row must leave alone, and the unary and bit operations with their memory accesses.
#include "test_cpu.h"

namespace {

constexpr uint8_t N = CC_N, Z = CC_Z, V = CC_V, C = CC_C, H = CC_H;
constexpr uint8_t K = CC_E | CC_F | CC_H | CC_I; // kept by the divisions

struct Case {
    const char* name;
    std::initializer_list<uint8_t> code; // at $1000; PC must end after it
    uint16_t d, x, w;
    uint8_t cc;
    uint16_t wantD, wantX, wantW;
    uint8_t wantCC;
};

// Guards per row: the register it works on (the others keep their values), its width,
// and flag rules: H only from byte adds, ADC's H from M+C as one operand, C/V of borrows,
// V kept by LSR, C kept by DEC/INC/SEX, E F I never touched, CMP/BIT storing nothing.
const Case kOps[] = {
    {"ADDA H, keeps E F I", {0x8B, 0x0F}, 0x0133, 0, 0, 0xD0 | N, 0x1033, 0, 0, 0xD0 | H},
    {"ADDA V and C", {0x8B, 0x80}, 0x8033, 0, 0, 0, 0x0033, 0, 0, Z | V | C},
    {"ADCA H from M+C as one", {0x89, 0x0F}, 0x0033, 0, 0, C, 0x1033, 0, 0, 0},
    {"ADCA H set", {0x89, 0x08}, 0x0833, 0, 0, C, 0x1133, 0, 0, H},
    {"SUBA borrow keeps H", {0x80, 0x01}, 0x0033, 0, 0, H, 0xFF33, 0, 0, H | N | C},
    {"SBCA V with borrow", {0x82, 0x00}, 0x8033, 0, 0, C, 0x7F33, 0, 0, V},
    {"ANDA clears V keeps C", {0x84, 0x0F}, 0xF333, 0, 0, V | C, 0x0333, 0, 0, C},
    {"ADDD C, H untouched", {0xC3, 0x00, 0x01}, 0xFFFF, 0, 0, H, 0x0000, 0, 0, H | Z | C},
    {"SUBD V", {0x83, 0x00, 0x01}, 0x8000, 0, 0, 0, 0x7FFF, 0, 0, V},
    {"CMPX stores nothing", {0x8C, 0x12, 0x35}, 0, 0x1234, 0, 0, 0, 0x1234, 0, N | C},
    {"DAA low digit", {0x19}, 0x4100, 0, 0, H, 0x4700, 0, 0, H},
    {"DAA both digits", {0x19}, 0x9A00, 0, 0, 0, 0x0000, 0, 0, Z | C},
    {"DAA carry in", {0x19}, 0x0000, 0, 0, C, 0x6000, 0, 0, C},
    {"MUL C from bit 7 of B", {0x3D}, 0x0180, 0, 0, V, 0x0080, 0, 0, V | C},
    {"MUL zero", {0x3D}, 0x1200, 0, 0, 0, 0x0000, 0, 0, Z},
    {"SEXW", {0x14}, 0x0000, 0, 0x8000, 0, 0xFFFF, 0, 0x8000, N},
    {"SEX keeps C", {0x1D}, 0xAA05, 0, 0, N | Z | C, 0x0005, 0, 0, C},
    {"ABX unsigned, wraps", {0x3A}, 0x00FF, 0xFFFF, 0, 0, 0x00FF, 0x00FE, 0, 0},
    {"LEAX -1,X: Z only", {0x30, 0x1F}, 0, 0x0001, 0, N | V | C, 0, 0, 0, N | Z | V | C},
    // Transfers: the source and destination widths decide; D/A and W/E overlap.
    {"TFR X,A", {0x1F, 0x18}, 0x1122, 0x3344, 0, 0, 0x4422, 0x3344, 0, 0},
    {"TFR A,X keeps X high", {0x1F, 0x81}, 0x1122, 0x3344, 0, 0, 0x1122, 0x3311, 0, 0},
    {"TFR PC,X after the postbyte", {0x1F, 0x51}, 0, 0, 0, 0, 0, 0x1002, 0, 0},
    {"EXG D,A overlap", {0x1E, 0x08}, 0x1122, 0, 0, 0, 0x2211, 0, 0, 0},
    {"EXG D,W", {0x1E, 0x06}, 0x1122, 0, 0x5566, 0, 0x5566, 0, 0x1122, 0},
    // Register to register: the wider operand decides, bytes zero-extended.
    {"ADDR A,B", {0x10, 0x30, 0x89}, 0x8080, 0, 0, 0, 0x8000, 0, 0, Z | V | C},
    {"ADDR B,X zero-extends", {0x10, 0x30, 0x91}, 0x0001, 0x00FF, 0, N, 0x0001, 0x0100, 0, 0},
    {"ADDR PC,X", {0x10, 0x30, 0x51}, 0, 0x0010, 0, 0, 0, 0x1013, 0, 0},
    {"ADCR A,B H rule", {0x10, 0x31, 0x89}, 0x0F00, 0, 0, C, 0x0F10, 0, 0, 0},
    {"SUBR W,A uses F", {0x10, 0x32, 0x68}, 0x0500, 0, 0x1206, 0, 0xFF00, 0, 0x1206, N | C},
    {"CMPR stores nothing", {0x10, 0x37, 0x10}, 1, 2, 0, 0, 1, 2, 0, N | C},
    {"ADDR A,CC leaves the sum", {0x10, 0x30, 0x8A}, 0x0300, 0, 0, 0x01, 0x0300, 0, 0, 0x04},
    // Inherent D, W, E, F.
    {"NEGD $8000", {0x10, 0x40}, 0x8000, 0, 0x1111, 0, 0x8000, 0, 0x1111, N | V | C},
    {"LSRD keeps V", {0x10, 0x44}, 0x0001, 0, 0x1111, V | N, 0, 0, 0x1111, V | Z | C},
    {"DECD keeps C", {0x10, 0x4A}, 0x8000, 0, 0x1111, C, 0x7FFF, 0, 0x1111, V | C},
    // Prefixed immediates.
    {"SUBW keeps H", {0x10, 0x80, 0x00, 0x01}, 0, 0, 0, H, 0, 0, 0xFFFF, H | N | C},
    {"ADCD", {0x10, 0x89, 0xFF, 0xFF}, 0, 0, 0, C, 0, 0, 0, Z | C},
    {"ADDE H", {0x11, 0x8B, 0x0F}, 0, 0, 0x0133, 0, 0, 0, 0x1033, H},
    {"MULD -1 x 2", {0x11, 0x8F, 0x00, 0x02}, 0xFFFF, 0, 0, V | C, 0xFFFF, 0, 0xFFFE, N | V | C},
    // Divisions: signed quotient and remainder, the overflow rules, E F H I kept.
    {"DIVD 7/2", {0x11, 0x8D, 0x02}, 7, 0, 0, K | N | Z | V, 0x0103, 0, 0, K | C},
    {"DIVD -7/2", {0x11, 0x8D, 0x02}, 0xFFF9, 0, 0, K, 0xFFFD, 0, 0, K | N | C},
    {"DIVD 1000/2 overflows", {0x11, 0x8D, 0x02}, 1000, 0, 0, K | C, 0x00F4, 0, 0, K | N | V},
    {"DIVD -32768/-1", {0x11, 0x8D, 0xFF}, 0x8000, 0, 0, K, 0x0000, 0, 0, K | Z | V},
    {"DIVQ 65536/2 overflows", {0x11, 0x8E, 0x00, 0x02}, 1, 0, 0, K, 0, 0, 0x8000, K | N | V},
    {"DIVQ 100/-7", {0x11, 0x8E, 0xFF, 0xF9}, 0, 0, 100, K | C, 0x0002, 0, 0xFFF2, K | N},
    {"DIVQ min/-1", {0x11, 0x8E, 0xFF, 0xFF}, 0x8000, 0, 0, K, 0, 0, 0, K | Z | V},
};

TEST_F(CpuTest, RegisterOperationsResultsAndFlags) {
    for (const Case& t : kOps) {
        SCOPED_TRACE(t.name);
        reg.D = t.d, reg.X = t.x, reg.W = t.w, reg.CC = t.cc;
        cpu.Run(t.code);
        EXPECT_EQ(reg.D, t.wantD);
        EXPECT_EQ(reg.X, t.wantX);
        EXPECT_EQ(reg.W, t.wantW);
        EXPECT_EQ(reg.CC, t.wantCC);
        EXPECT_EQ(reg.PC, 0x1000 + t.code.size());
    }
}

struct UnaryCase {
    const char* name;
    uint8_t nib; // low nibble of the $4x/$5x/$7x opcodes
    uint8_t m, ccIn, result, ccOut;
};

const UnaryCase kUnary[] = {
    {"NEG $80", 0x0, 0x80, 0, 0x80, N | V | C},
    {"LSR keeps V", 0x4, 0x01, V | N, 0x00, V | Z | C},
    {"ROR carry in", 0x6, 0x01, C, 0x80, N | C},
    {"ASR keeps sign", 0x7, 0x81, 0, 0xC0, N | C},
    {"ASL overflow", 0x8, 0x40, C, 0x80, N | V},
    {"DEC $80 keeps C", 0xA, 0x80, C, 0x7F, V | C},
    {"TST keeps C and H", 0xD, 0x00, V | C | H, 0x00, Z | C | H},
    {"CLR keeps H", 0xF, 0x55, N | V | C | H, 0x00, Z | H},
};

// A and extended memory; the memory form reads nothing for CLR and writes nothing for TST.
TEST_F(CpuTest, UnaryOperationsOnRegistersAndMemory) {
    for (const UnaryCase& t : kUnary) {
        SCOPED_TRACE(t.name);
        reg.D = uint16_t(t.m << 8 | 0x33), reg.CC = t.ccIn;
        cpu.Run({uint8_t(0x40 | t.nib)});
        EXPECT_EQ(reg.D, t.result << 8 | 0x33);
        EXPECT_EQ(reg.CC, t.ccOut);
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

struct BitCase {
    const char* name;
    uint8_t op, post, cc, a, mem;
    uint8_t wantCC, wantA, wantMem;
};

// Postbyte: register (CC 0, A 1, B 2, scratch 3), source bit, destination bit. Guards the
// bit numbering, the inverted forms, and that only STBT writes memory.
const BitCase kBitOps[] = {
    {"BAND clears", 0x30, 0x40 | 3 << 3 | 0, 0, 0x01, 0x00, 0, 0x00, 0x00},
    {"BIAND", 0x31, 0x40 | 7 << 3 | 7, 0, 0x80, 0x80, 0, 0x00, 0x80},
    {"BOR", 0x32, 0x40 | 0 << 3 | 4, 0, 0x00, 0x01, 0, 0x10, 0x01},
    {"LDBT", 0x36, 0x40 | 5 << 3 | 2, 0, 0xFF, 0x00, 0, 0xFB, 0x00},
    {"LDBT into CC", 0x36, 0x00 | 0 << 3 | 0, 0, 0x00, 0x01, C, 0x00, 0x01},
    {"STBT keeps CC at zero memory", 0x37, 0x40 | 0 << 3 | 7, N, 0x00, 0x80, N, 0x00, 0x00},
    {"STBT from CC", 0x37, 0x00 | 3 << 3 | 0, N, 0x00, 0x00, N, 0x00, 0x01},
    {"STBT from scratch stores 0", 0x37, 0xC0 | 0 << 3 | 0, 0, 0xFF, 0xFF, 0, 0xFF, 0xFE},
};

TEST_F(CpuTest, BitTransfersBetweenRegisterAndDirectByte) {
    for (const BitCase& t : kBitOps) {
        SCOPED_TRACE(t.name);
        reg.DP = 0x20, reg.CC = t.cc, reg.D = uint16_t(t.a << 8 | 0x33);
        cpu.m_mem[0x2040] = t.mem;
        cpu.Run({0x11, t.op, t.post, 0x40});
        EXPECT_EQ(reg.CC, t.wantCC);
        EXPECT_EQ(reg.D, t.wantA << 8 | 0x33);
        Log want = {R(0x1000, 0x11), R(0x1001, t.op), R(0x1002, t.post), R(0x1003, 0x40),
                    R(0x2040, t.mem)};
        if (t.op == 0x37) want.push_back(W(0x2040, t.wantMem));
        EXPECT_EQ(cpu.m_log, want);
    }
}

} // namespace
