// Guest programs (assembled from data/) executed by the HD6309 core through the board:
// boot code in a test ROM that maps RAM through the MMU and jumps there, a program that
// runs on timer interrupts, and one that reads through the window and takes a FIRQ.
#include "board_fixture.h"

extern const uint8_t g_guest_rom[4096];
extern const uint8_t g_guest_timer[256];
extern const uint8_t g_guest_window[256];

namespace {

constexpr uint32_t kTicks = 0x0200, kDone = 0x0201, kFirqs = 0x0300, kCopied = 0x0400;

class Guest : public BoardTest {
protected:
    Guest() {
        std::copy(g_guest_rom, g_guest_rom + 4096, m_rom.begin());
        m_board->Reset();
    }
    // Steps until the byte at physical addr is non-zero; returns the steps taken.
    int RunUntil(uint32_t addr, int limit) {
        for (int i = 0; i < limit; ++i) {
            if (m_board->m_ram[addr]) return i;
            m_board->Step();
        }
        return limit;
    }
};

TEST_F(Guest, RomBootsIntoMmuMappedRamThatRunsOnTimerInterrupts) {
    std::copy(g_guest_timer, g_guest_timer + 256, m_board->m_ram + 0x23000);
    ASSERT_EQ(m_board->m_reg.PC, 0x5000);

    ASSERT_LT(RunUntil(kDone, 20000), 20000) << "PC=" << std::hex << m_board->m_reg.PC;
    EXPECT_EQ(m_board->m_ram[kTicks], 5);
    EXPECT_EQ(m_board->m_ram[kDone], 5);
    EXPECT_EQ(m_board->m_mmu[1 * 16], 0x23000);
    EXPECT_EQ(m_board->m_mmu[15 * 16], 0xF000);
    // Five periods of 257 accesses, and the program's own before the first.
    EXPECT_GT(m_board->m_nSpeedCount, 5 * 257);
    EXPECT_LT(m_board->m_nSpeedCount, 7 * 257);
}

TEST_F(Guest, WindowReadWrapsInsideItsBankAndFirqIsAcknowledged) {
    std::copy(g_guest_window, g_guest_window + 256, m_board->m_ram + 0x1000);
    m_board->m_ram[0x77C00] = 0x3C;
    m_board->m_reg.PC = 0x1000;
    RunUntil(kCopied, 100);
    EXPECT_EQ(m_board->m_ram[kCopied], 0x3C);
    for (int i = 0; i < 5; ++i)
        m_board->Step();         // FIRQ enabled, idling
    m_board->m_io[0xD04] = 0x01; // the display board's attention
    RunUntil(kFirqs, 100);
    EXPECT_EQ(m_board->m_ram[kFirqs], 1);
    EXPECT_EQ(m_board->m_io[0xD04], 0x00);
    EXPECT_EQ(m_board->m_io[0x004], 0x80);
}

} // namespace
