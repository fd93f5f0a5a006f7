// Per-step service: handshake and wait flag, hold and cancel from the main board, FIRQ
// causes, the NMI after the first handshake write, NMI calibration.
#include "board.h"

namespace {

TEST_F(BoardTest, HandshakeAndFirstWriteKey) {
    sub.WriteByte(0xAFE0, 0x00);
    EXPECT_EQ(io[0xD05], 0x80);
    EXPECT_EQ(sub.ReadByte(0xAFE0), 0x00); // busy: bit 0 clear, no wait
    sub.WriteByte(0xAFE0, 0x21);
    EXPECT_EQ(io[0xD05], 0x00);
    EXPECT_EQ(io[0x105], 0x80);
    io[0x105] = 0;
    EXPECT_EQ(sub.ReadByte(0xAFE0), 0x21); // not busy: bit 0 set, and the wait flag
    EXPECT_EQ(io[0x105], 0x80);
    EXPECT_EQ(sub.m_nKeyWrite, 1); // one 0x0050 for two writes
    EXPECT_EQ(sub.m_wKeyBuf[0], 0x0050);
}

TEST_F(BoardTest, WaitFlagHaltsUntilALineIsPresented) {
    sub.WriteByte(0xAFE0, 0x01);
    const uint16_t pc = sub.m_reg.PC;
    for (int i = 0; i < 3; ++i) {
        const uint32_t before = sub.m_nSpeedCount;
        sub.Step();
        EXPECT_EQ(sub.m_reg.signals, SIG_HALT);
        EXPECT_EQ(sub.m_reg.PC, pc);
        EXPECT_EQ(sub.m_nSpeedCount, before + 1); // one dummy read
    }
    for (uint8_t line : {SIG_IRQ, SIG_FIRQ, SIG_NMI}) {
        io[0x105] = 0x80;
        io[0x005] = line == SIG_IRQ ? 0x40 : 0; // cancel
        Cell(0xAFE4) = line == SIG_FIRQ;
        sub.m_nNmiCount = line == SIG_NMI ? 60000 : 0;
        sub.Step();
        EXPECT_EQ(sub.m_reg.signals, line);
        EXPECT_EQ(io[0x105], 0);
    }
}

TEST_F(BoardTest, HoldStopsEverythingAndNmiWaitsForHandshake) {
    io[0x005] = 0xC0; // hold and cancel
    Cell(0xAFE4) = 1;
    sub.m_nNmiCount = 100000;
    const uint16_t pc = sub.m_reg.PC;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals, SIG_HALT);
    EXPECT_EQ(sub.m_reg.PC, pc);
    io[0x005] = 0x40;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals, SIG_IRQ | SIG_FIRQ); // no NMI before $AFE0 is written
    io[0x005] = 0;
    Cell(0xAFE4) = 0;
    sub.WriteByte(0xAFE0, 0x00);
    sub.m_nNmiCount = 59999;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals & SIG_NMI, 0);
    sub.m_nNmiCount = 60000;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals & SIG_NMI, SIG_NMI);
}

TEST_F(BoardTest, CalibrationMeasuresAccessesPer20Ms) {
    struct NoPage : CTracePage09 {
        void Update(const REG09*, const char*) override {}
        void UpdateSignals(const REG09*) override {}
    } page;
    struct {
        uint32_t count, elapsed;
        bool debugger;
        int period;
    } cases[] = {{1500000, 300, false, 100000},
                 {1500000, 300, true, 60000},
                 {1500000, 0, false, 60000},
                 {1000000, 300, false, 60000}}; // below the threshold: no measurement
    for (const auto& c : cases) {
        ResetBoard();
        sub.m_pStat = c.debugger ? &page : nullptr;
        sub.m_nSpeedCount = c.count;
        now += c.elapsed;
        Tick();
        EXPECT_EQ(sub.m_nNmiPeriod, c.period);
        EXPECT_EQ(sub.m_nSpeedCount<10, c.count> 1000000);
    }
    sub.m_pStat = nullptr;
}

} // namespace
