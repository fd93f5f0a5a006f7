// Entries and traps: IRQ, FIRQ, NMI, SWI/SWI2/SWI3, CWAI and its wait, RTI, the
// illegal-instruction trap of every page, and the debugger hook.
#include "test_cpu.h"

namespace {

constexpr uint8_t N = CC_N, Z = CC_Z, V = CC_V, C = CC_C;

class EntryTest : public CpuTest {
protected:
    void SetUp() override {
        // Traps $F000, SWI3 $F200, SWI2 $F400, FIRQ $F600, IRQ $F800, SWI $FA00, NMI $FC00.
        for (uint16_t v = 0xFFF0; v < 0xFFFE; v += 2)
            cpu.SetVector(v, uint16_t(v << 8));
        cpu.SetVector(0xFFFE, 0x1000); // reset
        cpu.ResetRegisters();
        reg.S = 0x8000;
        reg.D = 0x0A0B, reg.W = 0x0E0F, reg.DP = 0xDD, reg.X = 0x1112, reg.Y = 0x2122;
        reg.U = 0x3132, reg.PC = 0x1234;
    }
    // The full-state frame as it must appear from S upward.
    std::vector<uint8_t> Frame(uint8_t cc, uint16_t pc, bool native) {
        std::vector<uint8_t> f = {cc, 0x0A, 0x0B};
        if (native) f.insert(f.end(), {0x0E, 0x0F});
        f.insert(f.end(),
                 {0xDD, 0x11, 0x12, 0x21, 0x22, 0x31, 0x32, uint8_t(pc >> 8), uint8_t(pc)});
        return f;
    }
    std::vector<uint8_t> Stack(size_t n) {
        return std::vector<uint8_t>(cpu.m_mem + reg.S, cpu.m_mem + reg.S + n);
    }
};

TEST_F(EntryTest, ResetLoadsPcHighByteFirstAndAcceptsIrqAtOnce) {
    cpu.m_log.clear();
    cpu.ResetRegisters();
    EXPECT_EQ(cpu.m_log, (Log{R(0xFFFE, 0x10), R(0xFFFF, 0x00)}));
    REG09 reset{};
    reset.PC = 0x1000;
    EXPECT_EQ(reg, reset);
    reg.S = 0x8000;
    cpu.Irq();
    EXPECT_EQ(reg.PC, 0xF800);
    EXPECT_EQ(reg.CC, CC_E | CC_I);
}

TEST_F(EntryTest, FullStateFrameInBothModesAndRtiPullsItBack) {
    for (bool native : {false, true}) {
        SCOPED_TRACE(native ? "native" : "emulation");
        SetUp();
        reg.MD = native ? MD_NM : 0;
        reg.CC = N | C;
        REG09 before = reg;
        cpu.m_log.clear();
        cpu.Irq();
        size_t size = native ? 14 : 12;
        ASSERT_EQ(cpu.m_log.size(), size + 2);    // pushes, then the vector
        EXPECT_EQ(cpu.m_log[0], W(0x7FFF, 0x34)); // PC low first
        EXPECT_EQ(cpu.m_log[size - 1], W(uint16_t(0x8000 - size), uint8_t(CC_E | N | C)));
        EXPECT_EQ(cpu.m_log[size], R(0xFFF8, 0xF8));
        EXPECT_EQ(reg.S, 0x8000 - size);
        EXPECT_EQ(Stack(size), Frame(CC_E | N | C, 0x1234, native));
        EXPECT_EQ(reg.CC, CC_E | CC_I | N | C);

        reg.D = reg.W = reg.X = reg.Y = reg.U = 0, reg.DP = 0;
        cpu.Run({0x3B}, 0xF800); // RTI
        EXPECT_EQ(cpu.m_log.size(), size + 1);
        before.CC |= CC_E;
        if (!native) before.W = 0; // W is not in the emulation-mode frame
        EXPECT_EQ(reg, before);
    }
}

TEST_F(EntryTest, MaskedEntriesDoNothingAndFirqStacksPcAndCcWithEClear) {
    reg.CC = CC_I | CC_F;
    REG09 before = reg;
    cpu.m_log.clear();
    cpu.Irq();
    cpu.Firq();
    EXPECT_EQ(reg, before);
    EXPECT_TRUE(cpu.m_log.empty());
    reg.CC = CC_E | N;
    cpu.Firq();
    EXPECT_EQ(cpu.m_log, (Log{W(0x7FFF, 0x34), W(0x7FFE, 0x12), W(0x7FFD, N), R(0xFFF6, 0xF6),
                              R(0xFFF7, 0x00)}));
    EXPECT_EQ(reg.CC, N | CC_I | CC_F);
    reg.MD = MD_NM;
    cpu.Run({0x3B}, 0xF600); // RTI pulls CC and PC only
    EXPECT_EQ(cpu.m_log.size(), 4u);
    EXPECT_EQ(reg.PC, 0x1234);
    EXPECT_EQ(reg.S, 0x8000);
}

TEST_F(EntryTest, NmiIgnoresMasksAndWaitsForAnyRti) {
    reg.CC = CC_I | CC_F;
    cpu.Nmi();
    EXPECT_EQ(reg.PC, 0xFC00);
    EXPECT_EQ(reg.wait, WAIT_NMI);
    uint16_t s = reg.S;
    cpu.m_log.clear();
    cpu.Nmi(); // in service: nothing
    EXPECT_TRUE(cpu.m_log.empty());
    EXPECT_EQ(reg.S, s);
    // An RTI of a FIRQ-style frame also re-enables NMI.
    reg.S = 0x7000;
    cpu.Poke(0x7000, {0x00, 0x20, 0x00});
    cpu.Run({0x3B});
    EXPECT_EQ(reg.wait, 0);
    cpu.Nmi();
    EXPECT_EQ(reg.PC, 0xFC00);
}

TEST_F(EntryTest, SeveralEntriesInOneStepRunTheLastHandlerFirst) {
    cpu.Poke(0xF600, {0x12}); // FIRQ handler starts with NOP
    cpu.Irq();
    cpu.Firq();
    EXPECT_EQ(reg.S, 0x8000 - 12 - 3);
    EXPECT_EQ(Stack(3), (std::vector<uint8_t>{CC_I, 0xF8, 0x00})); // FIRQ stacked IRQ handler
    cpu.Step();
    EXPECT_EQ(reg.PC, 0xF601);
    EXPECT_EQ(cpu.m_log, (Log{R(0xF600, 0x12)}));
}

TEST_F(EntryTest, CwaiStacksThenIdlesUntilAnEntry) {
    reg.CC = CC_I | CC_F | N | Z;
    cpu.Run({0x3C, 0xEF}); // CWAI #$EF: clears I
    EXPECT_EQ(reg.CC, CC_E | CC_F | N | Z);
    EXPECT_EQ(Stack(12), Frame(CC_E | CC_F | N | Z, 0x1002, false));
    EXPECT_EQ(reg.wait, WAIT_CWAI);
    cpu.Step();
    EXPECT_EQ(cpu.m_log, (Log{R(0x1002, 0x00)}));
    EXPECT_EQ(reg.PC, 0x1002);
    EXPECT_EQ(reg.signals, SIG_HALT);
    uint16_t s = reg.S;
    cpu.m_log.clear();
    cpu.Firq(); // masked by F: still waiting
    EXPECT_EQ(reg.wait, WAIT_CWAI);
    cpu.Irq(); // taken without stacking
    EXPECT_EQ(cpu.m_log, (Log{R(0xFFF8, 0xF8), R(0xFFF9, 0x00)}));
    EXPECT_EQ(reg.S, s);
    EXPECT_EQ(reg.wait, 0);
    EXPECT_EQ(reg.CC, CC_E | CC_F | CC_I | N | Z);
    cpu.Run({0x3B}, 0xF800); // the RTI restores the full state CWAI stacked
    EXPECT_EQ(reg.PC, 0x1002);
    EXPECT_EQ(reg.S, 0x8000);
    EXPECT_EQ(reg.X, 0x1112);
}

TEST_F(EntryTest, FirqEndsTheCwaiWaitKeepingE) {
    cpu.Run({0x3C, 0xAF}); // CWAI #$AF: clears F and I
    cpu.Firq();
    EXPECT_EQ(reg.CC, CC_E | CC_F | CC_I);
    EXPECT_EQ(reg.S, 0x8000 - 12);
    EXPECT_EQ(reg.PC, 0xF600);
}

// SWI, SWI2 and SWI3 (only SWI sets the masks); samples of each page's holes, prefix after
// prefix, a division by zero. The stacked PC is the one after the instruction or the faulting
// bytes. That defined codes do not trap is the opcode tables' test.
TEST_F(EntryTest, SoftwareInterruptsIllegalOpcodesAndDivisionByZero) {
    // clang-format off
    struct {
        std::initializer_list<uint8_t> code;
        uint8_t md;
        uint16_t handler;
        uint8_t masks;
    } cases[] = {
        {{0x3F}, 0, 0xFA00, CC_I | CC_F},       {{0x10, 0x3F}, 0, 0xF400, 0},
        {{0x11, 0x3F}, 0, 0xF200, 0},           {{0x87}, MD_IL, 0xF000, 0},
        {{0x10, 0x20}, MD_IL, 0xF000, 0},       {{0x10, 0x11}, MD_IL, 0xF000, 0},
        {{0x11, 0x10}, MD_IL, 0xF000, 0},       {{0x11, 0xC7}, MD_IL, 0xF000, 0},
        {{0x11, 0x8D, 0x00}, MD_DZ, 0xF000, 0}, {{0x11, 0x8E, 0, 0}, MD_DZ, 0xF000, 0},
    };
    // clang-format on
    for (auto& t : cases) {
        SCOPED_TRACE(testing::PrintToString(std::vector<uint8_t>(t.code)));
        SetUp();
        reg.CC = V;
        cpu.Run(t.code);
        ASSERT_EQ(reg.MD, t.md);
        ASSERT_EQ(reg.PC, t.handler);
        EXPECT_EQ(reg.CC, CC_E | V | t.masks);
        EXPECT_EQ(Stack(12), Frame(CC_E | V, uint16_t(0x1000 + t.code.size()), false));
    }
}

// The hook sees the new PC and the text there, read through the board after the
// instruction's own accesses.
TEST_F(EntryTest, DebuggerHookAfterEveryExecutedInstructionOnly) {
    RecordingPage<CTracePage09, REG09> page;
    cpu.m_pStat = &page;
    cpu.Poke(0xF000, {0x3C, 0xFF});
    cpu.Run({0x15}); // traps: the hook still runs, with the handler's address
    EXPECT_EQ(Log(cpu.m_log.end() - 3, cpu.m_log.end()),
              (Log{R(0xFFF1, 0x00), R(0xF000, 0x3C), R(0xF001, 0xFF)}));
    cpu.Step(); // CWAI at $F000
    cpu.Step(); // waiting: no line
    EXPECT_EQ(page.m_lines, (std::vector<std::string>{"F000 CWAI  #$FF", "F002 NEG   <$00"}));
    EXPECT_EQ(page.m_pc, 0xF002);
}

} // namespace
