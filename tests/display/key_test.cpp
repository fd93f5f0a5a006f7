// Key FIFO: capacity, delivery to either board, busy targets, BREAK.
#include "board.h"

namespace {

class KeyTest : public BoardTest {
protected:
    // The display processor's key-ready handler: read $AFE4, then $AFEC and $AFED.
    uint16_t TakeOnDisplay() {
        sub.ReadByte(0xAFE4);
        const uint8_t hi = sub.ReadByte(0xAFEC);
        return uint16_t(hi << 8 | sub.ReadByte(0xAFED));
    }
    bool DisplayReady() { return Cell(0xAFE4) & 1; }
};

TEST_F(KeyTest, RingHolds511Codes) {
    for (int i = 1; i <= 512; ++i)
        sub.PushKey(uint16_t(i));
    std::vector<uint16_t> got;
    sub.PopKey();
    while (DisplayReady())
        got.push_back(TakeOnDisplay());
    ASSERT_EQ(got.size(), 511u);
    EXPECT_EQ(got.front(), 1);
    EXPECT_EQ(got.back(), 511);
}

TEST_F(KeyTest, DisplayTargetWaitsUntilKeyTaken) {
    sub.PushKey(0x41);
    sub.PushKey(0x142);
    Tick();
    EXPECT_TRUE(DisplayReady());
    Tick(); // busy: the second code waits
    EXPECT_EQ(TakeOnDisplay(), 0x41);
    EXPECT_TRUE(DisplayReady()); // reading $AFED popped the next code at once
    EXPECT_EQ(TakeOnDisplay(), 0x142);
    EXPECT_EQ(io[0xD03], 0);
}

TEST_F(KeyTest, MainTargetAndRedirection) {
    io[0x002] = 0x80;
    sub.PushKey(0x141);
    sub.PushKey(0x42);
    Tick();
    EXPECT_EQ(io[0xD00], 0x01);
    EXPECT_EQ(io[0xD01], 0x41);
    EXPECT_EQ(io[0xD03], 0x40);
    EXPECT_EQ(io[0x103], 0x40);
    EXPECT_EQ(Cell(0xAFEC), 0x01);
    EXPECT_EQ(Cell(0xAFED), 0x41);
    EXPECT_FALSE(DisplayReady());
    Tick(); // the main processor has not read $FD01
    EXPECT_EQ(io[0xD01], 0x41);
    io[0x002] = 0; // keys now go to the display processor
    sub.PopKey();
    EXPECT_EQ(TakeOnDisplay(), 0x42);
}

TEST_F(KeyTest, BreakRaisesMainFirqAtEveryOffer) {
    Cell(0xAFE4) = 0x01; // display processor busy
    sub.PushKey(KEY_BREAK);
    for (int i = 0; i < 2; ++i) {
        io[0xD04] = 0;
        Tick();
        EXPECT_EQ(io[0xD04], 0x02);
    }
    Cell(0xAFE4) = 0;
    Tick();
    EXPECT_EQ(Cell(0xAFEC), 0x02);
    EXPECT_EQ(Cell(0xAFED), 0x01);
    EXPECT_FALSE(DisplayReady()); // no key-ready FIRQ for BREAK
}

} // namespace
