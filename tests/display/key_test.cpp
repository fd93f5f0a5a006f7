// Key FIFO: capacity, delivery to either board, busy targets, BREAK.
#include "board.h"

namespace {

class KeyTest : public BoardTest {
protected:
    // What the display processor's key-ready handler does: read $AFE4, $AFEC, $AFED.
    uint16_t TakeOnDisplay() {
        sub.ReadByte(0xAFE4);
        const uint8_t hi = sub.ReadByte(0xAFEC);
        return uint16_t(hi << 8 | sub.ReadByte(0xAFED));
    }
    bool DisplayReady() { return sub.m_mem[0x2FE4] & 1; }
};

TEST_F(KeyTest, RingHolds511Codes) {
    for (int i = 0; i < 512; ++i)
        sub.PushKey(uint16_t(i + 1));
    std::vector<uint16_t> got;
    sub.PopKey();
    while (DisplayReady())
        got.push_back(TakeOnDisplay());
    ASSERT_EQ(got.size(), 511u);
    for (int i = 0; i < 511; ++i)
        EXPECT_EQ(got[i], i + 1);
    sub.PopKey(); // empty: nothing happens
    EXPECT_FALSE(DisplayReady());
}

TEST_F(KeyTest, DisplayTargetWaitsUntilKeyTaken) {
    sub.PushKey(0x41);
    sub.PushKey(0x142);
    Tick();
    EXPECT_EQ(sub.m_mem[0x2FEC], 0x00);
    EXPECT_EQ(sub.m_mem[0x2FED], 0x41);
    EXPECT_TRUE(DisplayReady());
    Tick(); // busy: the second code waits
    EXPECT_EQ(sub.m_mem[0x2FED], 0x41);
    EXPECT_EQ(TakeOnDisplay(), 0x41);
    // Reading $AFED popped the next code at once.
    EXPECT_TRUE(DisplayReady());
    EXPECT_EQ(TakeOnDisplay(), 0x142);
    EXPECT_EQ(io[0xD03], 0);
}

TEST_F(KeyTest, MainTargetAndRedirection) {
    io[0x002] = 0x80;
    sub.PushKey(0x41);
    sub.PushKey(0x42);
    Tick();
    EXPECT_EQ(io[0xD00], 0x00);
    EXPECT_EQ(io[0xD01], 0x41);
    EXPECT_EQ(io[0xD03], 0x40);
    EXPECT_EQ(io[0x103], 0x40);
    EXPECT_EQ(sub.m_mem[0x2FED], 0x41);
    EXPECT_FALSE(DisplayReady());
    Tick(); // main board has not read $FD01
    EXPECT_EQ(io[0xD01], 0x41);
    // The main board switches keys to the display processor and reads the old key.
    io[0x002] = 0;
    io[0xD03] = io[0x103] = 0;
    sub.PopKey();
    EXPECT_EQ(io[0xD01], 0x41);
    EXPECT_TRUE(DisplayReady());
    EXPECT_EQ(TakeOnDisplay(), 0x42);
}

TEST_F(KeyTest, BreakRaisesMainFirqAtEveryOffer) {
    sub.WriteByte(0xAFE4, 0x01); // display processor still busy
    sub.PushKey(KEY_BREAK);
    for (int i = 0; i < 3; ++i) {
        io[0xD04] = 0;
        Tick();
        EXPECT_EQ(io[0xD04], 0x02);
    }
    sub.ReadByte(0xAFE4);
    Tick();
    EXPECT_EQ(sub.m_mem[0x2FEC], 0x02);
    EXPECT_EQ(sub.m_mem[0x2FED], 0x01);
    EXPECT_FALSE(DisplayReady()); // BREAK raises no key-ready FIRQ
    io[0xD04] = 0;
    Tick();
    EXPECT_EQ(io[0xD04], 0); // gone from the head
}

} // namespace
