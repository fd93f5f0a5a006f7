#include "board_fixture.h"

namespace {

// Control register bits as the tests use them. Mode bits 5-3: 100 one-shot (an expiry
// stops the slot), 010 and 110 started by the control write.
constexpr uint8_t kInternal = 0x02, kDual = 0x04, kIrqOn = 0x40, kOneShot = 0x20;

class Timer : public MainBoardTest {
protected:
    Timer() { Write(0xFD02, 0x10); } // timer interrupt enabled in mask 1
    void Cr1(uint8_t v) {
        Write(0xFD39, uint8_t(m_board->m_ptmCtrl[1] | 0x01));
        Write(0xFD38, v);
    }
    void Cr2(uint8_t v) { Write(0xFD39, v); } // bit 0 selects CR1 at $FD38, else CR3
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
    void StepAfter(int accesses) {
        Accesses(accesses);
        m_board->Step();
    }
};

TEST_F(Timer, ContinuousCounterExpiresAfterLatchPlusOneAccessesAndReloads) {
    Cr1(kInternal | kIrqOn);
    Latch16(0, 0x0010);
    Accesses(15);
    Read(0xFD3A); // the 16th access; the countdown leaves exactly 0
    StepAfter(0);
    EXPECT_EQ(Status(), 0x00);
    const int counted = m_board->m_nPtmCount; // the step's own instruction
    StepAfter(1);
    EXPECT_EQ(Status(), 0x81);
    EXPECT_EQ(m_board->m_reg.signals, SIG_IRQ); // presented in the same step
    EXPECT_EQ(m_board->m_ptmCount[0], 0 - (counted + 1) + 16);
    // Reading the status drops the request but keeps the flags; reading the counter
    // clears its flag.
    EXPECT_EQ(Read(0xFD39), 0x81);
    EXPECT_EQ(m_board->m_io[0xD03], 0x00);
    EXPECT_EQ(Read(0xFD39), 0x81);
    Counter16(0);
    EXPECT_EQ(Read(0xFD39), 0x00);
    StepAfter(1000); // a long block transfer: its periods merge into one expiry
    EXPECT_EQ(Status(), 0x81);
    EXPECT_TRUE(m_board->m_ptmCount[0] >= 0 && m_board->m_ptmCount[0] < 16);
}

TEST_F(Timer, ControlWriteClearsItsFlagAndTheRequestWhenNoneRemain) {
    Cr1(kInternal | kIrqOn);
    Cr2(kInternal | kIrqOn | 0x01);
    Latch16(0, 3);
    Latch16(1, 3);
    StepAfter(10);
    ASSERT_EQ(Status(), 0x83);
    Cr2(kInternal | 0x01);
    EXPECT_EQ(Status(), 0x81);
    EXPECT_EQ(m_board->m_io[0xD03], 0x01);
    Cr1(kInternal);
    EXPECT_EQ(Status(), 0x00);
    EXPECT_EQ(m_board->m_io[0xD03], 0x00);
}

TEST_F(Timer, LatchesBecomeAccesses) {
    struct {
        int cr, counter, latch, accesses; // expected: the high half's in dual mode
    } cases[] = {
        {kInternal, 0, 0x0010, 16},
        {kInternal, 0, 0x0000, 65536},
        {0x00, 0, 192, 2000},
        {0x00, 1, 96, 1000},          // external: m_nSpeed per 192 ticks
        {kInternal | 1, 2, 100, 800}, // CR3 at $FD38 while CR2 bit 0 is clear: divide by 8
        {kInternal | 1, 1, 100, 100}, // only counter 2 divides
        {kInternal | kDual, 1, 0x0000, 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.counter << " " << c.latch);
        m_board->Reset();
        if (c.counter == 0) Cr1(c.cr);
        if (c.counter == 1) Cr2(uint8_t(c.cr | 0x01));
        if (c.counter == 2) Cr3(c.cr);
        Latch16(c.counter, c.latch);
        EXPECT_EQ(m_board->m_ptmLatch[c.counter], c.accesses);
    }
    m_board->m_nSpeed = 0; // never a division by zero
    Cr1(0x00);
    Latch16(0, 192);
    EXPECT_GE(m_board->m_ptmLatch[0], 1);
    Counter16(0);
}

TEST_F(Timer, CountersReadBackInTimerTicks) {
    Cr3(kInternal | 0x01); // counter 2 divided by 8, the others not
    Cr1(0x00);             // external clock at m_nSpeed 2000: 192 ticks are 2000 accesses
    Latch16(0, 192);
    EXPECT_EQ(m_board->ReadIo(0xFD3B), 0xC0); // alone, the low byte reads back its cell
    EXPECT_EQ(m_board->ReadIo(0xFD3A), 0x00); // ReadIo is not an access
    Accesses(1000);                           // and the high-byte read is one more
    EXPECT_EQ(Counter16(0), (2000 - 1001) * 192 / 2000);
    Latch16(2, 100);
    Accesses(400 - 1);
    EXPECT_EQ(Counter16(2), 50);
}

TEST_F(Timer, DualModeCountsTwoIndependentHalves) {
    Cr1(kInternal | kDual | kIrqOn);
    Write(0xFD3A, 0x04); // high half: slot 0
    Write(0xFD3B, 0x0A); // low half: slot 3, started one access later
    Accesses(5);
    EXPECT_EQ(m_board->ReadIo(0xFD39), 0x81); // the high half expired after 6 accesses
    EXPECT_EQ(m_board->ReadIo(0xFD3A), 4 - 6 + 4);
    EXPECT_EQ(m_board->ReadIo(0xFD3B), 10 - 5);
    EXPECT_TRUE(Running(0) && Running(3));
}

TEST_F(Timer, StartConditionsInternalResetAndOneShot) {
    Cr1(kInternal | kOneShot | 0x08); // bits 3-4 set: the latch does not start it...
    Latch16(0, 5);
    EXPECT_FALSE(Running(0));
    Cr1(kInternal | 0x10); // ...mode 010 starts it at the control write
    EXPECT_TRUE(Running(0));
    Cr2(kInternal | kDual | 0x30 | 0x01); // mode 110 too, both halves
    EXPECT_TRUE(Running(1) && Running(4));
    Latch16(1, 0x0203);
    Cr3(kInternal);
    Latch16(2, 7);
    StepAfter(20);
    ASSERT_NE(Status(), 0);
    Cr1(0x01); // the internal reset stops and clears every slot
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(m_board->m_ptmLatch[s] | m_board->m_ptmCount[s], 0) << s;
        EXPECT_FALSE(Running(s)) << s; // the low half of a dual counter stops too
    }
    StepAfter(100);
    EXPECT_EQ(Status(), 0);

    m_board->Reset();
    Cr1(kInternal | kOneShot); // bits 3-4 clear: started by the latch
    Latch16(0, 3);
    Accesses(4);
    EXPECT_EQ(m_board->ReadIo(0xFD39), 0x01); // no interrupt enabled: no composite bit
    EXPECT_FALSE(Running(0));
    Cr1(kInternal | kOneShot | 0x80); // output enable raises the request too
    Latch16(0, 1);
    StepAfter(2);
    EXPECT_EQ(Status(), 0x81);
    EXPECT_EQ(m_board->m_io[0x103], 0x01);
}

} // namespace
