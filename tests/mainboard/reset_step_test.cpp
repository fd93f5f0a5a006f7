#include "board_fixture.h"

namespace {

using ResetTest = BoardTest;
using StepTest = BoardTest;

TEST_F(ResetTest, StartsAtTheRomsResetVectorWithTheRomInAndTheMmuOff) {
    EXPECT_EQ(m_board->m_reg.PC, kResetVector);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m_board->m_io[0xFF0 + i], m_rom[0xFF0 + i]) << i;
    EXPECT_EQ(Read(0xFD93), 0);
    EXPECT_EQ(Read(0x5100), m_rom[0x100]);
    EXPECT_EQ(Read(0xFD23), 159);
    EXPECT_EQ(Read(0xFDC0), 0x80);
    EXPECT_EQ(Read(0xFDC3), 0x10);
}

TEST_F(ResetTest, ClearsIoStateAndRegistersButKeepsMemoryAndPalette) {
    m_board->m_ram[0x12345] = 0x77;
    m_board->m_mmu[17] = 0x3000;
    Write(0xFD98, 5);
    Write(0xFC80, 0x42);
    Write(0xFD93, 0x81);
    Write(0xFD02, 0xFF);
    m_board->m_reg = REG09{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    m_board->m_z80.m_reg.PC = 0x1234;
    m_board->m_z80.m_reg.SP = 0x8000;
    m_board->m_nDipSw = 0x1A5;
    m_now = 90000;

    m_board->Reset();

    EXPECT_EQ(m_board->m_ram[0x12345], 0x77);
    EXPECT_EQ(m_board->m_mmu[17], 0x3000);
    EXPECT_EQ(m_board->m_pal[0], 5);
    EXPECT_EQ(m_board->m_io[0xC80], 0);
    EXPECT_EQ(m_board->m_io[0x002], 0);
    EXPECT_EQ(m_board->m_io[0xD98], 0);
    EXPECT_EQ(m_board->m_io[0xD23], 0xA5);

    REG09 expected{};
    expected.PC = kResetVector;
    EXPECT_EQ(std::memcmp(&m_board->m_reg, &expected, sizeof expected), 0);
    EXPECT_EQ(m_board->m_z80.m_reg.PC, 0);
    EXPECT_EQ(m_board->m_z80.m_reg.SP, 0);
    EXPECT_EQ(m_board->m_z80.m_pMain, m_board.get());
    EXPECT_EQ(m_board->m_z80.m_pIo, m_board->m_io);
    EXPECT_EQ(m_board->m_z80.m_pMem, m_board->m_ram);

    EXPECT_EQ(m_board->m_nSpeed, 2000);
    EXPECT_EQ(m_board->m_dwLastTick, 90000u);
    EXPECT_EQ(m_board->m_nTickMs, 0);
    EXPECT_EQ(m_board->m_bTick, 0);
    EXPECT_EQ(m_board->m_nPtmNext, 0);
    // The two vector reads are the only accesses since the counters were cleared.
    EXPECT_EQ(m_board->m_nPtmCount, 2);
    EXPECT_EQ(m_board->m_nSpeedCount, 2);
}

TEST_F(ResetTest, StopsTheTimerButKeepsLatchesAndCounts) {
    Write(0xFD39, 0x01);
    Write(0xFD38, 0x42);
    Write(0xFD3A, 0x01);
    Write(0xFD3B, 0x00);
    ASSERT_NE(m_board->m_ptmCtrl[0], 0);
    m_board->Reset();
    for (int s = 0; s < 6; ++s)
        EXPECT_EQ(m_board->m_ptmCtrl[s], 0) << s;
    EXPECT_EQ(m_board->m_ptmLatch[0], 256);
    EXPECT_EQ(m_board->m_ptmCount[0], 256);
    Accesses(1000);
    m_board->Step();
    EXPECT_EQ(Read(0xFD39), 0);
}

TEST_F(StepTest, TicksAddUpAndMeasureTheSpeedAfterTwoSeconds) {
    for (int tick = 1; tick <= 20; ++tick) {
        m_board->m_bTick = 1;
        m_board->Step();
        EXPECT_EQ(m_board->m_bTick, 0);
        EXPECT_EQ(m_board->m_nTickMs, tick * 100);
    }
    m_board->m_nSpeedCount = 600000;
    m_now += 2100;
    m_board->m_bTick = 1;
    m_board->Step();
    // (600000 * 10 / 2100 + 2000) / 2
    EXPECT_EQ(m_board->m_nSpeed, (600000 * 10 / 2100 + 2000) / 2);
    EXPECT_EQ(m_board->m_nTickMs, 0);
    EXPECT_LT(m_board->m_nSpeedCount, 100); // only this step's own instruction
    EXPECT_EQ(m_board->m_dwLastTick, m_now);
}

TEST_F(StepTest, AMillionAccessesMeasureAtTheNextTick) {
    m_board->m_nSpeedCount = 1000001;
    m_board->Step(); // no tick, no measurement
    EXPECT_EQ(m_board->m_nSpeed, 2000);
    m_now += 250;
    m_board->m_bTick = 1;
    m_board->Step();
    EXPECT_EQ(m_board->m_nSpeed, (1000001 * 10 / 250 + 2000) / 2);
    EXPECT_EQ(m_board->m_nTickMs, 0);
}

TEST_F(StepTest, NoMeasurementOverZeroMsOrUnderTheDebugger) {
    RecordingPage09 page;
    for (bool debugger : {false, true}) {
        SCOPED_TRACE(debugger);
        m_board->m_pStat = debugger ? &page : nullptr;
        m_now += debugger ? 500 : 0;
        m_board->m_nSpeedCount = 2000000;
        m_board->m_bTick = 1;
        m_board->Step();
        EXPECT_EQ(m_board->m_nSpeed, 2000);
        EXPECT_LT(m_board->m_nSpeedCount, 100);
        EXPECT_EQ(m_board->m_dwLastTick, m_now);
    }
    m_board->m_pStat = nullptr;
}

TEST_F(StepTest, SpeedStaysPositiveAcrossAWrappedClockAndHugeCounts) {
    m_board->m_dwLastTick = 0xFFFFFF00u;
    m_now = 0x00000100u;                    // 512 ms later, across the wrap
    m_board->m_nSpeedCount = INT32_MIN + 5; // wrapped after 2^31 accesses
    m_board->m_bTick = 1;
    m_board->m_nTickMs = 2000;
    m_board->Step();
    EXPECT_EQ(m_board->m_nSpeed, int((int64_t(0x80000005) * 10 / 512 + 2000) / 2));
}

TEST_F(StepTest, PresentsIrqAndFirqFromTheStoredCells) {
    struct Case {
        uint8_t fd03, fd04, signals;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{0x20, 0, SIG_IRQ}, Case{0, 0x02, SIG_FIRQ},
                          Case{0x01, 0x01, SIG_IRQ | SIG_FIRQ}}) {
        m_board->m_io[0xD03] = c.fd03;
        m_board->m_io[0xD04] = c.fd04;
        m_board->Step();
        EXPECT_EQ(m_board->m_reg.signals, c.signals);
        EXPECT_EQ(m_board->m_z80.m_reg.signals, SIG_HALT);
    }
}

TEST_F(StepTest, Fd05BitZeroHandsTheStepToTheZ80) {
    RecordingPage09 page;
    RecordingPageZ80 pageZ80;
    m_board->m_pStat = &page;
    m_board->m_z80.m_pStat = &pageZ80;
    Write(0xFD05, 0x01);
    m_board->m_io[0xD03] = 0x01;
    m_board->m_io[0xD04] = 0x01;
    m_board->Step();
    EXPECT_EQ(m_board->m_reg.signals, SIG_HALT);
    EXPECT_EQ(m_board->m_z80.m_reg.signals, SIG_IRQ);
    m_board->m_io[0xD03] = 0;
    m_board->Step();
    EXPECT_EQ(m_board->m_z80.m_reg.signals, 0);
    Write(0xFD05, 0x00);
    m_board->Step();
    EXPECT_EQ(m_board->m_z80.m_reg.signals, SIG_HALT);
    EXPECT_EQ(m_board->m_reg.signals, SIG_FIRQ);
    EXPECT_EQ(page.m_signals, (std::vector<uint8_t>{SIG_HALT, SIG_HALT, SIG_FIRQ}));
    EXPECT_EQ(pageZ80.m_signals, (std::vector<uint8_t>{SIG_IRQ, 0, SIG_HALT}));
    m_board->m_pStat = nullptr;
    m_board->m_z80.m_pStat = nullptr;
}

} // namespace
