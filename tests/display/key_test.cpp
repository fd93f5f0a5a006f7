// Key FIFO: capacity, a busy display processor, BREAK.
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

TEST_F(KeyTest, RingHolds511CodesAndTheDisplayTakesThemInOrder) {
    for (int i = 1; i <= 512; ++i)
        sub.PushKey(uint16_t(i & 0x1FF)); // no BREAK bit: the 512th would be code 0
    Tick();
    Tick(); // busy: the second code waits
    std::vector<uint16_t> got;
    while (DisplayReady()) // reading $AFED pops the next code at once
        got.push_back(TakeOnDisplay());
    ASSERT_EQ(got.size(), 511u);
    EXPECT_EQ(got.front(), 1);
    EXPECT_EQ(got.back(), 511);
    sub.WriteByte(0xAFEC, 0x55); // read only, and cleared by the reads
    sub.WriteByte(0xAFED, 0x66);
    EXPECT_EQ(Cell(0xAFEC) << 8 | Cell(0xAFED), 0);
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
    EXPECT_EQ(Cell(0xAFEC) << 8 | Cell(0xAFED), KEY_BREAK);
    EXPECT_FALSE(DisplayReady()); // no key-ready FIRQ for BREAK
}

} // namespace
