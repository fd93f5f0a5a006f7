// The display processor running a test ROM: clock latch, the ready handshake, waiting
// in the handshake, and a key-ready FIRQ handler that drains the key FIFO.
#include "board.h"

namespace {

class GuestTest : public BoardTest {
protected:
    void SetUp() override {
        // clang-format off
        Load(0xB000, {
            0x10, 0xCE, 0x9F, 0x00, // B000 LDS  #$9F00
            0x8E, 0x90, 0x00,       // B004 LDX  #$9000
            0xBF, 0x90, 0x80,       // B007 STX  $9080     key store pointer
            0x86, 0x8D,             // B00A LDA  #$8D
            0xB7, 0xAF, 0xF4,       // B00C STA  $AFF4     latch the clock
            0x86, 0x84,             // B00F LDA  #$84
            0xB7, 0xAF, 0xF4,       // B011 STA  $AFF4     clock mode, digit 4
            0xB6, 0xAF, 0xF7,       // B014 LDA  $AFF7
            0xB7, 0x90, 0xF0,       // B017 STA  $90F0
            0x86, 0x01,             // B01A LDA  #$01
            0xB7, 0xAF, 0xE0,       // B01C STA  $AFE0     ready: halts here until a line
            0x20, 0xF9,             // B01F BRA  $B01A
        });
        Load(0xB030, {
            0x34, 0x16,             // B030 PSHS A,B,X     key-ready FIRQ
            0xB6, 0xAF, 0xE4,       // B032 LDA  $AFE4
            0xB6, 0xAF, 0xEC,       // B035 LDA  $AFEC     (LDD would read $AFED first)
            0xF6, 0xAF, 0xED,       // B038 LDB  $AFED     pops the next key
            0xBE, 0x90, 0x80,       // B03B LDX  $9080
            0xED, 0x81,             // B03E STD  ,X++
            0xBF, 0x90, 0x80,       // B040 STX  $9080
            0x35, 0x16,             // B043 PULS A,B,X
            0x3B,                   // B045 RTI
        });
        Load(0xB050, {0x3B});       // B050 RTI            every other vector
        // clang-format on
        for (int v = 0xFFF0; v < 0xFFFE; v += 2)
            Load(uint16_t(v), {0xB0, 0x50});
        Load(0xFFF6, {0xB0, 0x30});
        Load(0xFFFE, {0xB0, 0x00});
        SetHostTimeSource([] { return HostTime{2026, 12, 5, 13, 5, 9, 6}; });
        BoardTest::SetUp();
    }
    void Run(int steps) {
        for (int i = 0; i < steps; ++i)
            sub.Step();
    }
};

TEST_F(GuestTest, HandshakeClockAndKeys) {
    Run(50);
    EXPECT_EQ(io[0xD05] & 0x80, 0); // no longer busy
    EXPECT_EQ(sub.m_mem[0x10F0], 3);
    EXPECT_EQ(sub.m_reg.signals, SIG_HALT);
    EXPECT_EQ(sub.m_reg.PC, 0xB01F);

    sub.PushKey(0x41);
    sub.PushKey(0x142);
    Tick();
    Run(200);
    const uint8_t expected[] = {0x00, 0x50, 0x00, 0x41, 0x01, 0x42};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(sub.m_mem[0x1000 + i], expected[i]) << i;
    EXPECT_EQ(sub.m_mem[0x1080], 0x90);
    EXPECT_EQ(sub.m_mem[0x1081], 0x06);
    EXPECT_EQ(sub.m_reg.signals, SIG_HALT);
    EXPECT_EQ(sub.m_reg.PC, 0xB01F);

    io[0x005] = 0x80; // the main board holds the display processor
    sub.PushKey(0x43);
    Tick();
    Run(50);
    EXPECT_EQ(sub.m_mem[0x1006], 0x00);
    io[0x005] = 0;
    Run(50);
    EXPECT_EQ(sub.m_mem[0x1007], 0x43);
}

} // namespace
