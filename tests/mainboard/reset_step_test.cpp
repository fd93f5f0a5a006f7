#include "board_fixture.h"

namespace {

using ResetStep = MainBoardTest;

TEST_F(ResetStep, ResetClearsIoAndRegistersButKeepsMemoryPaletteAndTimerLatches) {
    m_board->m_ram[0x12345] = 0x77;
    m_board->m_mmu[17] = 0x3000;
    Write(0xFD98, 5);
    Write(0xFD93, 0x81);
    Write(0xFD39, 0x01); // counter 0 of the timer running on 256
    Write(0xFD38, 0x42);
    Write(0xFD3A, 0x01);
    Write(0xFD3B, 0x00);
    m_board->m_reg.D = 0x5555;
    m_board->m_z80.m_reg.PC = 0x1234;
    m_board->m_nDipSw = 0x1A5;
    m_board->m_nSpeed = 7;
    Write(0xFDC0, 0x10); // the hard disk has results waiting
    m_clock.now = 90000;

    m_board->Reset();

    EXPECT_EQ(m_board->m_nSpeedCount, 2); // the two vector reads since the counters cleared
    EXPECT_EQ(m_board->m_nPtmCount, 2);
    EXPECT_EQ(m_board->m_ram[0x12345], 0x77);
    EXPECT_EQ(m_board->m_mmu[17], 0x3000);
    EXPECT_EQ(m_board->m_pal[0], 5);
    EXPECT_EQ(Read(0x5100), m_rom[0x100]); // the ROM is in, the MMU off
    EXPECT_EQ(Read(0xFFF0), m_rom[0xFF0]); // the vectors are copied in
    EXPECT_EQ(Read(0xFD23), 0xA5);
    EXPECT_EQ(Read(0xFDC0), 0x80); // the hard disk is idle
    EXPECT_EQ(Read(0xFDC3), 0x10);
    EXPECT_EQ(Read(0xFDC1), 0x00);
    EXPECT_EQ(m_board->m_reg.PC, kResetVector);
    EXPECT_EQ(m_board->m_reg.D, 0);
    EXPECT_EQ(m_board->m_z80.m_reg.PC, 0);
    EXPECT_EQ(m_board->m_dwLastTick, 90000u);
    EXPECT_EQ(m_board->m_nSpeed, 2000);
    EXPECT_EQ(m_board->m_ptmLatch[0], 256);
    Accesses(1000);
    m_board->Step();
    EXPECT_EQ(Read(0xFD39), 0); // stopped
}

TEST_F(ResetStep, TicksAddUpAndMeasureTheSpeed) {
    for (int tick = 1; tick <= 20; ++tick) {
        m_board->m_bTick = 1;
        m_board->Step();
    }
    ASSERT_EQ(m_board->m_nTickMs, 2000);
    NullPage page;
    m_clock.now = 0x100; // every measurement spans the host clock's wrap
    struct {
        int tickMs, elapsed, count; // so far, since the last measurement
        CTracePage09* debugger;
        int speed;
    } cases[] = {
        {2000, 2100, 600000, nullptr, (600000 * 10 / 2100 + 2000) / 2},
        {0, 250, 1000001, nullptr, (1000001 * 10 / 250 + 2000) / 2}, // a million: at once
        {2000, 0, 2000000, nullptr, 2000},                           // no time passed
        {2000, 500, 2000000, &page, 2000},
        {2000, 512, INT32_MIN + 5, nullptr, int((int64_t(0x80000005) * 10 / 512 + 2000) / 2)},
    };
    for (const auto& c : cases) {
        m_board->m_nSpeed = 2000;
        m_board->m_pStat = c.debugger;
        m_board->m_nTickMs = c.tickMs;
        m_board->m_nSpeedCount = c.count;
        m_board->m_dwLastTick = m_clock.now - uint32_t(c.elapsed);
        m_board->m_bTick = 1;
        m_board->Step();
        EXPECT_EQ(m_board->m_nSpeed, c.speed) << c.count;
        EXPECT_EQ(m_board->m_nTickMs, 0);
        EXPECT_LT(m_board->m_nSpeedCount, 100); // only this step's own instruction
        EXPECT_EQ(m_board->m_dwLastTick, m_clock.now);
    }
    m_board->m_pStat = nullptr;
}

TEST_F(ResetStep, PresentsIrqAndFirqOrWithFd05BitZeroHandsTheStepToTheZ80) {
    struct {
        uint8_t fd05, fd03, fd04, signals, z80;
    } cases[] = {{0, 0, 0, 0, SIG_HALT},
                 {0, 0x20, 0, SIG_IRQ, SIG_HALT},
                 {0, 0, 0x02, SIG_FIRQ, SIG_HALT},
                 {0, 0x01, 0x01, SIG_IRQ | SIG_FIRQ, SIG_HALT},
                 {1, 0x01, 0x01, SIG_HALT, SIG_IRQ},
                 {1, 0, 0x01, SIG_HALT, 0}};
    for (const auto& c : cases) {
        Write(0xFD05, c.fd05);
        m_board->m_io[0xD03] = c.fd03;
        m_board->m_io[0xD04] = c.fd04;
        m_board->Step();
        EXPECT_EQ(m_board->m_reg.signals, c.signals);
        EXPECT_EQ(m_board->m_z80.m_reg.signals, c.z80);
    }
}

} // namespace
