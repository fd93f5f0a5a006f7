// Per-step service: handshake and wait flag, hold and cancel, the NMI and its calibration.
#include "board.h"

namespace {

TEST_F(BoardTest, HandshakeAndFirstWriteKey) {
    sub.WriteByte(0xAFE0, 0x00);
    EXPECT_EQ(sub.ReadByte(0xAFE0), 0x00); // busy: bit 0 clear, no wait
    EXPECT_EQ(io[0xD05], 0x80);
    sub.WriteByte(0xAFE0, 0x21);
    EXPECT_EQ(io[0xD05], 0x00);
    EXPECT_EQ(io[0x105], 0x80);
    io[0x105] = 0;
    EXPECT_EQ(sub.ReadByte(0xAFE0), 0x21); // not busy: bit 0 set, and the wait flag
    EXPECT_EQ(io[0x105], 0x80);
    io[0xD05] = 0x80; // the main board's hold makes it busy again
    EXPECT_EQ(sub.ReadByte(0xAFE0), 0x20);
    EXPECT_EQ(sub.m_nKeyWrite, 1); // one 0x0050 for two writes
    EXPECT_EQ(sub.m_wKeyBuf[0], 0x0050);
}

TEST_F(BoardTest, HoldAndTheWaitFlagHaltUntilALineIsPresented) {
    sub.m_nNmiCount = 100000;
    io[0x005] = 0x40; // cancel
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals, SIG_IRQ); // no NMI before the first $AFE0 write
    io[0x005] = 0xC0;                      // hold outranks every line
    Cell(0xAFE4) = 1;
    const uint16_t pc = sub.m_reg.PC;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals, SIG_HALT);
    io[0x005] = 0;
    Cell(0xAFE4) = 0;
    sub.WriteByte(0xAFE0, 0x01); // ready: the wait flag goes up
    sub.m_nNmiCount = 59999;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals, SIG_HALT);
    EXPECT_EQ(sub.m_reg.PC, pc);
    for (uint8_t line : {SIG_IRQ, SIG_FIRQ, SIG_NMI}) {
        io[0x105] = 0x80;
        io[0x005] = line == SIG_IRQ ? 0x40 : 0;
        Cell(0xAFE4) = line == SIG_FIRQ;
        sub.m_nNmiCount = line == SIG_NMI ? 60000 : 0;
        sub.Step();
        EXPECT_EQ(sub.m_reg.signals, line);
        EXPECT_EQ(io[0x105], 0);
    }
}

TEST_F(BoardTest, CalibrationMeasuresAccessesPer20Ms) {
    NullPage page;
    struct {
        uint32_t count, elapsed;
        int period;
        bool traced; // a debugger page attached: no calibration
    } cases[] = {{1500000, 300, 100000, false},
                 {1500000, 0, 60000, false},
                 {1000000, 300, 60000, false}, // too few accesses yet
                 {1500000, 300, 60000, true}};
    for (const auto& c : cases) {
        ResetBoard();
        sub.m_pStat = c.traced ? &page : nullptr;
        sub.m_nSpeedCount = c.count;
        clock.now += c.elapsed;
        Tick();
        EXPECT_EQ(sub.m_nNmiPeriod, c.period) << c.count << " " << c.elapsed;
    }
    sub.m_pStat = nullptr;
}

} // namespace
