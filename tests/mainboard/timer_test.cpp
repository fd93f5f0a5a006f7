#include "board_fixture.h"

namespace {

// Control register bits as the tests use them.
constexpr uint8_t kInternal = 0x02, kDual = 0x04, kIrqOn = 0x40;
constexpr uint8_t kOneShot = 0x20;     // mode bits 5-3 = 100: an expiry stops the slot
constexpr uint8_t kStartOnCtrl = 0x10; // mode 010: the control write starts it

class Timer : public BoardTest {
protected:
    void Cr1(uint8_t v) {
        Write(0xFD39, uint8_t(m_board->m_ptmCtrl[1] | 0x01));
        Write(0xFD38, v);
    }
    void Cr2(uint8_t v) { Write(0xFD39, v); } // bit 0 selects CR1 at $FD38
    void Cr3(uint8_t v) {
        Write(0xFD39, uint8_t(m_board->m_ptmCtrl[1] & ~0x01));
        Write(0xFD38, v);
    }
    void Latch16(int c, uint16_t v) {
        Write(uint16_t(0xFD3A + 2 * c), uint8_t(v >> 8));
        Write(uint16_t(0xFD3B + 2 * c), uint8_t(v));
    }
    uint16_t Counter16(int c) {
        const uint8_t hi = Read(uint16_t(0xFD3A + 2 * c));
        return uint16_t(hi << 8 | Read(uint16_t(0xFD3B + 2 * c)));
    }
    uint8_t Status() { return m_board->m_io[0xD39]; }
    bool Running(int slot) { return m_board->m_ptmCtrl[slot] & 0x100; }
};

TEST_F(Timer, ContinuousInternalCounterExpiresAfterLatchPlusOneAccesses) {
    Write(0xFD02, 0x10); // timer interrupt enabled in mask 1
    Cr1(kInternal | kIrqOn);
    Latch16(0, 0x0010);
    ASSERT_TRUE(Running(0));
    EXPECT_EQ(m_board->m_nPtmCount, 0);
    EXPECT_EQ(m_board->m_nPtmNext, 16);

    Accesses(16);
    m_board->Step();
    EXPECT_EQ(Status(), 0x00);
    EXPECT_EQ(m_board->m_reg.signals, 0);
    const int counted = m_board->m_nPtmCount; // 16 and the step's own instruction

    Accesses(1);
    m_board->Step();
    EXPECT_EQ(Status(), 0x81);
    EXPECT_EQ(m_board->m_io[0x103] & 0x01, 0x01);
    EXPECT_EQ(m_board->m_io[0xD03], 0x01);
    EXPECT_EQ(m_board->m_reg.signals, SIG_IRQ); // presented in the same step
    EXPECT_EQ(m_board->m_ptmCount[0], 16 - (counted + 1) + 16);
    EXPECT_EQ(m_board->m_nPtmNext, m_board->m_ptmCount[0]);
    EXPECT_TRUE(Running(0));
}

TEST_F(Timer, StatusReadDropsTheRequestButKeepsTheFlags) {
    Write(0xFD02, 0x10);
    Cr1(kInternal | kIrqOn);
    Latch16(0, 0x0010);
    Accesses(20);
    m_board->Step();
    ASSERT_EQ(m_board->m_io[0xD03], 0x01);

    EXPECT_EQ(Read(0xFD39), 0x81);
    EXPECT_EQ(m_board->m_io[0xD03], 0x00);
    EXPECT_EQ(m_board->m_io[0x103], 0x00);
    EXPECT_EQ(Read(0xFD39), 0x81);
    Counter16(0); // reading the counter clears its flag and the composite bit
    EXPECT_EQ(Read(0xFD39), 0x00);
}

TEST_F(Timer, ControlWriteClearsItsFlagAndTheRequestWhenNoneRemain) {
    Write(0xFD02, 0x10);
    Cr1(kInternal | kIrqOn);
    Cr2(kInternal | kIrqOn | 0x01);
    Latch16(0, 3);
    Latch16(1, 3);
    Accesses(10);
    m_board->Step();
    ASSERT_EQ(Status(), 0x83);
    Cr2(kInternal | 0x01); // counter 1 without interrupts now
    EXPECT_EQ(Status(), 0x81);
    EXPECT_EQ(m_board->m_io[0xD03], 0x01);
    Cr1(kInternal); // the last flag goes, and with it the request
    EXPECT_EQ(Status(), 0x00);
    EXPECT_EQ(m_board->m_io[0x103], 0x00);
    EXPECT_EQ(m_board->m_io[0xD03], 0x00);
}

TEST_F(Timer, LatchZeroMeansTheFullRange) {
    Cr1(kInternal);
    Latch16(0, 0x0000);
    EXPECT_EQ(m_board->m_ptmLatch[0], 65536);
    Cr2(kInternal | kDual | 0x01);
    Write(0xFD3C, 0);
    Write(0xFD3D, 0);
    EXPECT_EQ(m_board->m_ptmLatch[1], 256);
    EXPECT_EQ(m_board->m_ptmLatch[4], 256);
}

TEST_F(Timer, ExternalClockConvertsBothWays) {
    ASSERT_EQ(m_board->m_nSpeed, 2000);
    Cr1(0x00);
    Latch16(0, 192);
    EXPECT_EQ(m_board->m_ptmLatch[0], 2000);
    EXPECT_EQ(m_board->m_ptmCount[0], 2000);
    // ReadIo is not itself an access, so all 2000 remain.
    EXPECT_EQ(m_board->ReadIo(0xFD3A), 0x00);
    EXPECT_EQ(m_board->ReadIo(0xFD3B), 0xC0);

    Accesses(1000); // and the high-byte read is one more
    EXPECT_EQ(Counter16(0), (2000 - 1001) * 192 / 2000);
}

TEST_F(Timer, CounterTwoCanDivideByEight) {
    Cr3(kInternal | 0x01);
    Latch16(2, 100);
    EXPECT_EQ(m_board->m_ptmLatch[2], 800);
    Accesses(400 - 1);
    EXPECT_EQ(Counter16(2), 50);
    // The prescaler only concerns counter 2.
    Cr2(kInternal | 0x01 | 0x01);
    Latch16(1, 100);
    EXPECT_EQ(m_board->m_ptmLatch[1], 100);
}

TEST_F(Timer, DualModeCountsTwoIndependentHalves) {
    Write(0xFD02, 0x10);
    Cr1(kInternal | kDual | kIrqOn);
    Write(0xFD3A, 0x04); // high half: slot 0
    Write(0xFD3B, 0x0A); // low half: slot 3
    EXPECT_EQ(m_board->m_ptmLatch[0], 4);
    EXPECT_EQ(m_board->m_ptmLatch[3], 10);
    EXPECT_TRUE(Running(0));
    EXPECT_TRUE(Running(3));
    // The low half started one access (its own latch write) after the high half.
    // ReadIo runs the countdown without being an access itself.
    Accesses(5);
    EXPECT_EQ(m_board->ReadIo(0xFD39), 0x81); // the high half expired after 6 accesses
    EXPECT_EQ(m_board->ReadIo(0xFD3A), 4 - 6 + 4);
    EXPECT_EQ(m_board->ReadIo(0xFD3B), 10 - 5);
    EXPECT_TRUE(Running(0));
}

TEST_F(Timer, ReadingTheLowByteAloneReturnsItsCell) {
    Cr1(kInternal);
    Latch16(0, 0x1234);
    EXPECT_EQ(Read(0xFD3B), 0x34); // the byte written there
    Accesses(0x34);
    EXPECT_EQ(Read(0xFD3A), 0x11);
    const uint8_t low = m_board->m_io[0xD3B];
    Accesses(100);
    EXPECT_EQ(Read(0xFD3B), low); // still the byte the high-byte read left
}

TEST_F(Timer, Fd38WritesCr3WhileCr2BitZeroIsClear) {
    Cr2(0x00);
    Write(0xFD38, 0x03);
    EXPECT_EQ(m_board->m_ptmCtrl[2] & 0xFF, 0x03);
    EXPECT_EQ(m_board->m_ptmCtrl[0] & 0xFF, 0x00);
    EXPECT_EQ(Read(0xFD38), 0);
    Cr2(0x01);
    Write(0xFD38, 0x42);
    EXPECT_EQ(m_board->m_ptmCtrl[0] & 0xFF, 0x42);
}

TEST_F(Timer, InternalResetClearsEveryLatchCountAndFlag) {
    Write(0xFD02, 0x10);
    Cr1(kInternal | kDual | kIrqOn);
    Write(0xFD3A, 2);
    Write(0xFD3B, 50);
    Cr3(kInternal);
    Latch16(2, 7);
    Accesses(20);
    m_board->Step();
    ASSERT_NE(Status(), 0);

    Cr1(0x01);
    EXPECT_EQ(Status(), 0);
    EXPECT_EQ(m_board->m_ptmCtrl[0], 0x01);
    EXPECT_EQ(m_board->m_ptmCtrl[1], 0);
    EXPECT_EQ(m_board->m_ptmCtrl[2], 0);
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(m_board->m_ptmLatch[s], 0) << s;
        EXPECT_EQ(m_board->m_ptmCount[s], 0) << s;
        EXPECT_FALSE(Running(s)) << s; // the low half of a dual counter stops too
    }
    Accesses(100);
    m_board->Step();
    EXPECT_EQ(Status(), 0);
}

TEST_F(Timer, StartConditions) {
    // Bits 3-4 set: a latch write loads the counter but does not start it...
    Cr1(kInternal | kOneShot | 0x08);
    Latch16(0, 5);
    EXPECT_FALSE(Running(0));
    EXPECT_EQ(m_board->m_ptmCount[0], 5);
    // ...mode 010 starts it at the control write...
    Cr1(kInternal | kStartOnCtrl);
    EXPECT_TRUE(Running(0));
    // ...and a running slot takes a new latch at once, whatever its mode.
    Latch16(0, 9);
    EXPECT_EQ(m_board->m_ptmLatch[0], 9);
    EXPECT_TRUE(Running(0));
    Cr2(kInternal | 0x08 | 0x01);
    Latch16(1, 9);
    EXPECT_FALSE(Running(1));
    // Mode 110 starts at the control write too, both halves in dual mode.
    Cr2(kInternal | kDual | 0x30 | 0x01);
    EXPECT_TRUE(Running(1));
    EXPECT_TRUE(Running(4));
}

TEST_F(Timer, OneShotStopsAtExpiryAndOutputEnableRaisesTheRequest) {
    Cr1(kInternal | kOneShot);
    Latch16(0, 3);
    ASSERT_TRUE(Running(0)); // bits 3-4 clear: started by the latch
    Accesses(4);
    m_board->ReadIo(0xFD39);
    EXPECT_EQ(Status(), 0x01); // no interrupt enabled: no composite bit
    EXPECT_EQ(m_board->m_io[0x103], 0);
    EXPECT_FALSE(Running(0));
    EXPECT_EQ(m_board->m_ptmCount[0], 0);
    EXPECT_EQ(m_board->m_nPtmNext, 0);

    Cr1(kInternal | kOneShot | 0x80);
    Latch16(0, 1);
    Accesses(2);
    m_board->Step();
    EXPECT_EQ(Status(), 0x81);
    EXPECT_EQ(m_board->m_io[0x103], 0x01);
}

TEST_F(Timer, ACounterLeftAtExactlyZeroStillExpires) {
    Cr1(kInternal | kIrqOn);
    Latch16(0, 10);
    Accesses(9);
    Read(0xFD3A); // the tenth access; the countdown leaves exactly 0
    EXPECT_EQ(m_board->m_ptmCount[0], 0);
    Accesses(1);
    m_board->Step();
    EXPECT_EQ(Status(), 0x81);
}

TEST_F(Timer, ManyPeriodsInOneStepKeepTheCounterRunning) {
    Cr1(kInternal | kIrqOn);
    Latch16(0, 16);
    Accesses(1000); // as a long block transfer inside one instruction would
    m_board->Step();
    EXPECT_EQ(Status(), 0x81);
    EXPECT_TRUE(Running(0));
    EXPECT_GE(m_board->m_ptmCount[0], 0);
    EXPECT_LT(m_board->m_ptmCount[0], 16);
    Read(0xFD39);
    Counter16(0);
    Accesses(17);
    m_board->Step();
    EXPECT_EQ(Status(), 0x81);
}

TEST_F(Timer, ZeroSpeedNeverDividesByZero) {
    m_board->m_nSpeed = 0;
    Cr1(0x00);
    Latch16(0, 192);
    EXPECT_GE(m_board->m_ptmLatch[0], 1);
    EXPECT_NO_FATAL_FAILURE(Counter16(0));
    m_board->m_nSpeed = 2000000000;
    Latch16(0, 0xFFFF); // a product far beyond 32 bits
    EXPECT_GT(m_board->m_ptmLatch[0], 0);
}

} // namespace
