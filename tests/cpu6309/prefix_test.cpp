// The $10 and $11 pages: register-to-register arithmetic, D/W/E/F operations, 16- and
// 32-bit memory forms, MULD, DIVD/DIVQ with their trap, bit transfers, TFM, BITMD/LDMD.
#include "test_cpu.h"

namespace {

using Log = std::vector<Access>;
constexpr uint8_t N = CC_N, Z = CC_Z, V = CC_V, C = CC_C, H = CC_H;

struct RegRegCase {
    const char* name;
    uint8_t op, post;
    uint16_t d, x, w;
    uint8_t cc;
    uint16_t wantD, wantX, wantW;
    uint8_t wantCC;
};

const RegRegCase kRegReg[] = {
    {"ADDR A,B", 0x30, 0x89, 0x8080, 0, 0, 0, 0x8000, 0, 0, Z | V | C},
    {"ADDR B,X zero-extends", 0x30, 0x91, 0x0001, 0x00FF, 0, N, 0x0001, 0x0100, 0, 0},
    {"ADDR D,W 16-bit keeps H", 0x30, 0x06, 0x8000, 0, 0x8000, H, 0x8000, 0, 0, H | Z | V | C},
    {"ADCR A,B H rule", 0x31, 0x89, 0x0F00, 0, 0, C, 0x0F10, 0, 0, 0},
    {"SUBR W,A uses F", 0x32, 0x68, 0x0500, 0, 0x1206, 0, 0xFF00, 0, 0x1206, N | C},
    {"SBCR X,D borrow in", 0x33, 0x10, 0x0000, 0x0000, 0, C, 0xFFFF, 0, 0, N | C},
    {"ANDR B,D clears A", 0x34, 0x90, 0xFFFF, 0, 0, V, 0x00FF, 0, 0, 0},
    {"ORR E,F", 0x35, 0xEF, 0, 0, 0x8001, 0, 0, 0, 0x8081, N},
    {"EORR X,X", 0x36, 0x11, 0, 0x1234, 0, N, 0, 0, 0, Z},
    {"CMPR stores nothing", 0x37, 0x10, 0x0001, 0x0002, 0, 0, 0x0001, 0x0002, 0, N | C},
    {"ADDR A,CC leaves the sum", 0x30, 0x8A, 0x0300, 0, 0, 0x01, 0x0300, 0, 0, 0x04},
};

TEST_F(CpuTest, RegisterToRegisterOperations) {
    for (const RegRegCase& t : kRegReg) {
        SCOPED_TRACE(t.name);
        reg.D = t.d, reg.X = t.x, reg.W = t.w, reg.CC = t.cc;
        cpu.Run({0x10, t.op, t.post});
        EXPECT_EQ(reg.D, t.wantD);
        EXPECT_EQ(reg.X, t.wantX);
        EXPECT_EQ(reg.W, t.wantW);
        EXPECT_EQ(reg.CC, t.wantCC);
        EXPECT_EQ(cpu.m_log.size(), 3u);
    }
    reg.X = 0x0010;
    cpu.Run({0x10, 0x30, 0x51}); // ADDR PC,X: PC after the postbyte
    EXPECT_EQ(reg.X, 0x1013);
    reg.X = 0x0100;
    cpu.Run({0x10, 0x30, 0x15}); // ADDR X,PC jumps
    EXPECT_EQ(reg.PC, 0x1103);
    reg.D = 0x7700;
    cpu.Run({0x10, 0x30, 0x8C}); // ADDR A,ZERO stores into ZERO
    EXPECT_EQ(reg.ZERO, 0x77);
}

struct InherentCase {
    const char* name;
    uint8_t page, op;
    uint16_t in;
    uint8_t cc;
    uint16_t out;
    uint8_t ccOut;
};

// D for $10 $4x, W for $10 $5x, E for $11 $4x, F for $11 $5x.
const InherentCase kInherent[] = {
    {"NEGD $8000", 0x10, 0x40, 0x8000, 0, 0x8000, N | V | C},
    {"COMD", 0x10, 0x43, 0x00FF, V, 0xFF00, N | C},
    {"LSRD $0001", 0x10, 0x44, 0x0001, V | N, 0x0000, V | Z | C},
    {"RORD", 0x10, 0x46, 0x0002, C, 0x8001, N},
    {"ASRD", 0x10, 0x47, 0x8001, 0, 0xC000, N | C},
    {"ASLD $4000", 0x10, 0x48, 0x4000, C, 0x8000, N | V},
    {"ROLD", 0x10, 0x49, 0x0080, C, 0x0101, 0},
    {"DECD $8000", 0x10, 0x4A, 0x8000, C, 0x7FFF, V | C},
    {"INCD $7FFF", 0x10, 0x4C, 0x7FFF, 0, 0x8000, N | V},
    {"TSTD", 0x10, 0x4D, 0x0000, V | C, 0x0000, Z | C},
    {"CLRD", 0x10, 0x4F, 0x1234, N | V | C | H, 0x0000, Z | H},
    {"COMW", 0x10, 0x53, 0xFFFF, 0, 0x0000, Z | C},
    {"LSRW", 0x10, 0x54, 0x8000, 0, 0x4000, 0},
    {"RORW", 0x10, 0x56, 0x0001, 0, 0x0000, Z | C},
    {"ROLW $8000", 0x10, 0x59, 0x8000, 0, 0x0000, Z | V | C},
    {"DECW", 0x10, 0x5A, 0x0000, 0, 0xFFFF, N},
    {"INCW", 0x10, 0x5C, 0xFFFF, V, 0x0000, Z},
    {"TSTW", 0x10, 0x5D, 0x8000, 0, 0x8000, N},
    {"CLRW", 0x10, 0x5F, 0x8000, C, 0x0000, Z},
    {"COME", 0x11, 0x43, 0x01, 0, 0xFE, N | C},
    {"DECE $80", 0x11, 0x4A, 0x80, 0, 0x7F, V},
    {"INCE $7F", 0x11, 0x4C, 0x7F, 0, 0x80, N | V},
    {"TSTE", 0x11, 0x4D, 0x00, V, 0x00, Z},
    {"CLRE", 0x11, 0x4F, 0x55, C, 0x00, Z},
    {"COMF", 0x11, 0x53, 0x01, 0, 0xFE, N | C},
    {"DECF", 0x11, 0x5A, 0x01, 0, 0x00, Z},
    {"INCF", 0x11, 0x5C, 0xFF, 0, 0x00, Z},
    {"TSTF", 0x11, 0x5D, 0x80, 0, 0x80, N},
    {"CLRF", 0x11, 0x5F, 0x80, 0, 0x00, Z},
};

TEST_F(CpuTest, InherentOperationsOnDWEF) {
    for (const InherentCase& t : kInherent) {
        SCOPED_TRACE(t.name);
        bool low = t.op < 0x50;
        reg.D = 0x1111, reg.W = 0x2222, reg.CC = t.cc;
        if (t.page == 0x10)
            (low ? reg.D : reg.W) = t.in;
        else if (low)
            reg.SetE(uint8_t(t.in));
        else
            reg.SetF(uint8_t(t.in));
        cpu.Run({t.page, t.op});
        uint16_t got = t.page == 0x10 ? (low ? reg.D : reg.W) : low ? reg.E() : reg.F();
        EXPECT_EQ(got, t.out);
        EXPECT_EQ(reg.CC, t.ccOut);
        if (t.page == 0x11)
            EXPECT_EQ(low ? reg.F() : reg.E(), 0x22);
        else
            EXPECT_EQ(low ? reg.W : reg.D, low ? 0x2222 : 0x1111);
    }
}

TEST_F(CpuTest, PushAndPullW) {
    reg.S = 0x8000, reg.U = 0x4000, reg.W = 0xABCD;
    cpu.Run({0x10, 0x38}); // PSHSW: E at the lower address
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x10), R(0x1001, 0x38), W(0x7FFF, 0xCD), W(0x7FFE, 0xAB)}));
    reg.W = 0;
    cpu.Run({0x10, 0x39}); // PULSW
    EXPECT_EQ(reg.W, 0xABCD);
    EXPECT_EQ(reg.S, 0x8000);
    cpu.Run({0x10, 0x3A}); // PSHUW
    EXPECT_EQ(cpu.Word(0x3FFE), 0xABCD);
    reg.W = 0;
    cpu.Run({0x10, 0x3B}); // PULUW
    EXPECT_EQ(reg.W, 0xABCD);
    EXPECT_EQ(reg.U, 0x4000);
}

struct MemoryCase {
    const char* name;
    std::initializer_list<uint8_t> code; // immediate forms
    uint16_t d, w;
    uint8_t cc;
    uint16_t wantD, wantW;
    uint8_t wantCC;
};

const MemoryCase kMemoryOps[] = {
    {"SUBW", {0x10, 0x80, 0x00, 0x01}, 0, 0x0000, H, 0, 0xFFFF, H | N | C},
    {"CMPW", {0x10, 0x81, 0x80, 0x00}, 0, 0x0000, 0, 0, 0x0000, N | V | C},
    {"SBCD", {0x10, 0x82, 0x00, 0x01}, 0x0002, 0, C, 0x0000, 0, Z},
    {"CMPD", {0x10, 0x83, 0x12, 0x34}, 0x1234, 0, N, 0x1234, 0, Z},
    {"ANDD", {0x10, 0x84, 0x0F, 0xF0}, 0xFFFF, 0, V | C, 0x0FF0, 0, C},
    {"BITD", {0x10, 0x85, 0x80, 0x00}, 0x8000, 0, 0, 0x8000, 0, N},
    {"LDW", {0x10, 0x86, 0x00, 0x00}, 0, 0x1234, N, 0, 0, Z},
    {"EORD", {0x10, 0x88, 0xFF, 0xFF}, 0x00FF, 0, 0, 0xFF00, 0, N},
    {"ADCD", {0x10, 0x89, 0xFF, 0xFF}, 0x0000, 0, C, 0x0000, 0, Z | C},
    {"ORD", {0x10, 0x8A, 0x00, 0x01}, 0x8000, 0, 0, 0x8001, 0, N},
    {"ADDW", {0x10, 0x8B, 0x00, 0x01}, 0, 0x7FFF, H, 0, 0x8000, H | N | V},
    {"SUBE", {0x11, 0x80, 0x01}, 0, 0x0033, 0, 0, 0xFF33, N | C},
    {"CMPE", {0x11, 0x81, 0x01}, 0, 0x0133, 0, 0, 0x0133, Z},
    {"LDE", {0x11, 0x86, 0x80}, 0, 0x0033, V, 0, 0x8033, N},
    {"ADDE half carry", {0x11, 0x8B, 0x0F}, 0, 0x0133, 0, 0, 0x1033, H},
    {"SUBF", {0x11, 0xC0, 0x80}, 0, 0x3300, 0, 0, 0x3380, N | V | C},
    {"CMPF", {0x11, 0xC1, 0x00}, 0, 0x3300, 0, 0, 0x3300, Z},
    {"LDF", {0x11, 0xC6, 0x00}, 0, 0x33FF, 0, 0, 0x3300, Z},
    {"ADDF", {0x11, 0xCB, 0x01}, 0, 0x33FF, 0, 0, 0x3300, H | Z | C},
    {"MULD -1 x 2", {0x11, 0x8F, 0x00, 0x02}, 0xFFFF, 0, V | C, 0xFFFF, 0xFFFE, N | V | C},
    {"MULD -32768 squared", {0x11, 0x8F, 0x80, 0x00}, 0x8000, 0, 0, 0x4000, 0x0000, 0},
};

TEST_F(CpuTest, PrefixedImmediateForms) {
    for (const MemoryCase& t : kMemoryOps) {
        SCOPED_TRACE(t.name);
        reg.D = t.d, reg.W = t.w, reg.CC = t.cc;
        cpu.Run(t.code);
        EXPECT_EQ(reg.D, t.wantD);
        EXPECT_EQ(reg.W, t.wantW);
        EXPECT_EQ(reg.CC, t.wantCC);
        EXPECT_EQ(reg.PC, 0x1000 + t.code.size());
    }
}

TEST_F(CpuTest, PrefixedMemoryFormsAndTheirAccessOrder) {
    reg.X = 0x2000;
    cpu.Poke(0x2000, {0x12, 0x34, 0x56, 0x78});
    cpu.Run({0x10, 0xAE, 0x84}); // LDY ,X: low byte first
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x10), R(0x1001, 0xAE), R(0x1002, 0x84), R(0x2001, 0x34),
                              R(0x2000, 0x12)}));
    EXPECT_EQ(reg.Y, 0x1234);
    cpu.Run({0x10, 0xFC, 0x20, 0x00}); // LDQ $2000: EA+1, EA, EA+2, EA+3
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x10), R(0x1001, 0xFC), R(0x1003, 0x00), R(0x1002, 0x20),
                              R(0x2001, 0x34), R(0x2000, 0x12), R(0x2002, 0x56), R(0x2003, 0x78)}));
    EXPECT_EQ(reg.D, 0x1234);
    EXPECT_EQ(reg.W, 0x5678);
    EXPECT_EQ(reg.CC, 0);
    reg.D = 0x8765, reg.W = 0x4321;
    cpu.Run({0x10, 0xDD, 0x40}); // STQ <$40: ascending
    EXPECT_EQ(cpu.m_log, (Log{R(0x1000, 0x10), R(0x1001, 0xDD), R(0x1002, 0x40), W(0x0040, 0x87),
                              W(0x0041, 0x65), W(0x0042, 0x43), W(0x0043, 0x21)}));
    EXPECT_EQ(reg.CC, N);
    reg.D = 0, reg.W = 0;
    cpu.Run({0x10, 0xDD, 0x40});
    EXPECT_EQ(reg.CC, Z);
    reg.S = 0x8000, reg.U = 0x8000;
    cpu.Run({0x10, 0xDF, 0x50}); // STS, STY, STW
    cpu.Run({0x10, 0xBF, 0x00, 0x52});
    cpu.Run({0x10, 0x97, 0x54});
    EXPECT_EQ(cpu.Word(0x50), 0x8000);
    EXPECT_EQ(cpu.Word(0x52), 0x1234);
    EXPECT_EQ(cpu.Word(0x54), 0x0000);
    cpu.Run({0x10, 0xCE, 0x12, 0x34}); // LDS #
    EXPECT_EQ(reg.S, 0x1234);
    cpu.Run({0x11, 0x83, 0x80, 0x00}); // CMPU #
    EXPECT_EQ(reg.CC, Z);
    cpu.Run({0x11, 0x8C, 0x12, 0x35}); // CMPS #
    EXPECT_EQ(reg.CC, N | C);
    reg.W = 0xAB00;
    cpu.Run({0x11, 0xB7, 0x30, 0x00}); // STE, STF
    cpu.Run({0x11, 0xD7, 0x01});
    EXPECT_EQ(cpu.m_mem[0x3000], 0xAB);
    EXPECT_EQ(cpu.m_mem[0x0001], 0x00);
    EXPECT_EQ(reg.CC, Z | C);
}

struct DivCase {
    const char* name;
    std::initializer_list<uint8_t> code;
    uint16_t d, w;
    uint16_t wantD, wantW;
    uint8_t wantCC;
};

// CC starts as E|F|H|I, which the divisions leave alone.
const DivCase kDivisions[] = {
    {"DIVD 7/2", {0x11, 0x8D, 0x02}, 0x0007, 0, 0x0103, 0, C},
    {"DIVD -7/2", {0x11, 0x8D, 0x02}, 0xFFF9, 0, 0xFFFD, 0, N | C},
    {"DIVD 1000/2 overflows", {0x11, 0x8D, 0x02}, 1000, 0, 0x00F4, 0, N | V},
    {"DIVD -32768/-1", {0x11, 0x8D, 0xFF}, 0x8000, 0, 0x0000, 0, Z | V},
    {"DIVQ 65536/2 overflows", {0x11, 0x8E, 0x00, 0x02}, 0x0001, 0x0000, 0x0000, 0x8000, N | V},
    {"DIVQ -7/2", {0x11, 0x8E, 0x00, 0x02}, 0xFFFF, 0xFFF9, 0xFFFF, 0xFFFD, N | C},
    {"DIVQ 100/-7", {0x11, 0x8E, 0xFF, 0xF9}, 0, 100, 0x0002, 0xFFF2, N},
    {"DIVQ min/-1", {0x11, 0x8E, 0xFF, 0xFF}, 0x8000, 0x0000, 0x0000, 0x0000, Z | V},
};

TEST_F(CpuTest, Divisions) {
    constexpr uint8_t kKept = CC_E | CC_F | CC_H | CC_I;
    for (const DivCase& t : kDivisions) {
        SCOPED_TRACE(t.name);
        reg.D = t.d, reg.W = t.w, reg.CC = kKept | N | Z | V | C;
        cpu.Run(t.code);
        EXPECT_EQ(reg.D, t.wantD);
        EXPECT_EQ(reg.W, t.wantW);
        EXPECT_EQ(reg.CC, kKept | t.wantCC);
    }
}

TEST_F(CpuTest, DivisionByZeroTrapsAfterTheOperand) {
    cpu.SetVector(0xFFF0, 0xF000);
    struct {
        std::initializer_list<uint8_t> code;
        uint16_t stacked;
    } cases[] = {{{0x11, 0x8D, 0x00}, 0x1003},
                 {{0x11, 0xBE, 0x20, 0x00}, 0x1004},
                 {{0x11, 0xAE, 0x81}, 0x1003}};
    for (auto& t : cases) {
        reg = REG09{};
        reg.S = 0x8000, reg.X = 0x3000, reg.D = 0x1234, reg.W = 0x5678, reg.CC = N | C;
        cpu.Run(t.code);
        EXPECT_EQ(reg.MD, MD_DZ);
        EXPECT_EQ(reg.PC, 0xF000);
        EXPECT_EQ(reg.CC, CC_E | N | C);
        EXPECT_EQ(reg.D, 0x1234);
        EXPECT_EQ(reg.W, 0x5678);
        EXPECT_EQ(reg.S, 0x8000 - 12);
        EXPECT_EQ(cpu.Word(0x8000 - 2), t.stacked);
    }
    EXPECT_EQ(reg.X, 0x3002); // the ,X++ divisor operand stepped X before the trap
}

struct BitCase {
    const char* name;
    uint8_t op, post, cc, a, mem;
    uint8_t wantCC, wantA, wantMem;
};

// Postbyte: register (CC 0, A 1, B 2, none 3), source bit, destination bit.
const BitCase kBitOps[] = {
    {"BAND clears", 0x30, 0x40 | 3 << 3 | 0, 0, 0x01, 0x00, 0, 0x00, 0x00},
    {"BAND keeps", 0x30, 0x40 | 3 << 3 | 0, 0, 0x01, 0x08, 0, 0x01, 0x08},
    {"BIAND", 0x31, 0x40 | 7 << 3 | 7, 0, 0x80, 0x80, 0, 0x00, 0x80},
    {"BOR", 0x32, 0x40 | 0 << 3 | 4, 0, 0x00, 0x01, 0, 0x10, 0x01},
    {"BIOR", 0x33, 0x40 | 0 << 3 | 4, 0, 0x00, 0x00, 0, 0x10, 0x00},
    {"BEOR", 0x34, 0x40 | 1 << 3 | 1, 0, 0x02, 0x02, 0, 0x00, 0x02},
    {"BIEOR", 0x35, 0x40 | 1 << 3 | 1, 0, 0x02, 0x00, 0, 0x00, 0x00},
    {"LDBT", 0x36, 0x40 | 5 << 3 | 2, 0, 0xFF, 0x00, 0, 0xFB, 0x00},
    {"LDBT into CC", 0x36, 0x00 | 0 << 3 | 0, 0, 0x00, 0x01, C, 0x00, 0x01},
    {"STBT keeps CC at zero memory", 0x37, 0x40 | 0 << 3 | 7, N, 0x00, 0x80, N, 0x00, 0x00},
    {"STBT from CC", 0x37, 0x00 | 3 << 3 | 0, N, 0x00, 0x00, N, 0x00, 0x01},
    {"scratch register: no effect", 0x32, 0xC0 | 0 << 3 | 0, 0, 0x00, 0x01, 0, 0x00, 0x01},
    {"STBT from scratch stores 0", 0x37, 0xC0 | 0 << 3 | 0, 0, 0xFF, 0xFF, 0, 0xFF, 0xFE},
};

TEST_F(CpuTest, BitTransfersBetweenRegisterAndDirectByte) {
    for (const BitCase& t : kBitOps) {
        SCOPED_TRACE(t.name);
        reg.DP = 0x20, reg.CC = t.cc, reg.D = uint16_t(t.a << 8 | 0x33);
        cpu.m_mem[0x2040] = t.mem;
        cpu.Run({0x11, t.op, t.post, 0x40});
        EXPECT_EQ(reg.CC, t.wantCC);
        EXPECT_EQ(reg.A(), t.wantA);
        EXPECT_EQ(reg.B(), 0x33);
        Log want = {R(0x1000, 0x11), R(0x1001, t.op), R(0x1002, t.post), R(0x1003, 0x40),
                    R(0x2040, t.mem)};
        if (t.op == 0x37) want.push_back(W(0x2040, t.wantMem));
        EXPECT_EQ(cpu.m_log, want);
    }
}

TEST_F(CpuTest, BlockTransfers) {
    cpu.Poke(0x2000, {1, 2, 3});
    struct {
        uint8_t op, post;
        uint16_t x, y;
        Log moves;
        uint16_t wantX, wantY;
    } cases[] = {
        {0x38,
         0x12,
         0x2000,
         0x3000,
         {R(0x2000, 1), W(0x3000, 1), R(0x2001, 2), W(0x3001, 2), R(0x2002, 3), W(0x3002, 3)},
         0x2003,
         0x3003},
        {0x39,
         0x12,
         0x2002,
         0x3002,
         {R(0x2002, 3), W(0x3002, 3), R(0x2001, 2), W(0x3001, 2), R(0x2000, 1), W(0x3000, 1)},
         0x1FFF,
         0x2FFF},
        {0x3A,
         0x12,
         0x2000,
         0x3000,
         {R(0x2000, 1), W(0x3000, 1), R(0x2001, 2), W(0x3000, 2), R(0x2002, 3), W(0x3000, 3)},
         0x2003,
         0x3000},
        {0x3B,
         0x12,
         0x2000,
         0x3000,
         {R(0x2000, 1), W(0x3000, 1), R(0x2000, 1), W(0x3001, 1), R(0x2000, 1), W(0x3002, 1)},
         0x2000,
         0x3003},
        {0x38,
         0x11,
         0x2000,
         0, // same register: both steps apply
         {R(0x2000, 1), W(0x2001, 1), R(0x2002, 3), W(0x2003, 3), R(0x2004, 0), W(0x2005, 0)},
         0x2006,
         0},
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
    reg.W = 0;
    cpu.Run({0x11, 0x38, 0x12}); // nothing to move: only the postbyte is read
    EXPECT_EQ(cpu.m_log.size(), 3u);
    reg.S = 0x8000, reg.W = 1;
    cpu.Run({0x11, 0x38, 0x44}); // S to S is accepted
    EXPECT_EQ(reg.S, 0x8002);
    EXPECT_EQ(reg.MD, 0);
}

TEST_F(CpuTest, BlockTransferWithABadPointerTrapsWithNothingMoved) {
    cpu.SetVector(0xFFF0, 0xF000);
    for (uint8_t post : {0x45, 0x16, 0x05, 0x4F, 0x50, 0xFF}) {
        SCOPED_TRACE(int(post));
        reg = REG09{};
        reg.S = 0x8000, reg.W = 2;
        cpu.Run({0x11, 0x38, post});
        EXPECT_EQ(reg.MD, MD_IL);
        EXPECT_EQ(reg.W, 2);
        EXPECT_EQ(reg.PC, 0xF000);
        EXPECT_EQ(cpu.Word(0x8000 - 2), 0x1003);
        EXPECT_EQ(cpu.m_log.size(), 3u + 12 + 2);
    }
}

TEST_F(CpuTest, ModeRegister) {
    reg.MD = 0x80, reg.CC = Z;
    cpu.Run({0x11, 0x3C, 0x80}); // BITMD #$80
    EXPECT_EQ(reg.CC, 0);
    EXPECT_EQ(reg.MD, 0x00);
    reg.MD = 0x81;
    cpu.Run({0x11, 0x3C, 0x40}); // BITMD #$40: Z, and the error bits clear anyway
    EXPECT_EQ(reg.CC, Z);
    EXPECT_EQ(reg.MD, 0x01);
    reg.MD = 0xC0, reg.CC = 0x0F;
    cpu.Run({0x11, 0x3D, 0x01}); // LDMD
    EXPECT_EQ(reg.MD, MD_NM);
    EXPECT_EQ(reg.CC, 0x0F);
}

} // namespace
