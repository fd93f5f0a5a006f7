// The Z80 on the main board: access counting, the fixed area, the I/O page, the bank
// register $FD2F, and the card switch. Uses a real CMainCpu with the pointers linked
// the way the board's reset links them.
#include <gtest/gtest.h>

#include <memory>

#include "display/sub_cpu.h"
#include "flat_z80.h"
#include "mainboard/main_cpu.h"

namespace {

class MainViewTest : public testing::Test {
protected:
    // A new board is cleared; only the links are left to make.
    void SetUp() override {
        Z().m_pMain = m_main.get();
        Z().m_pIo = m_main->m_io;
        Z().m_pMem = m_main->m_ram;
    }
    CSimZ80& Z() { return m_main->m_z80; }
    void Load(uint32_t phys, std::initializer_list<uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), m_main->m_ram + phys);
    }
    void Run(int n) {
        for (int i = 0; i < n; ++i)
            Z().Execute();
    }

    std::unique_ptr<CMainCpu> m_main = std::make_unique<CMainCpu>();
};

TEST_F(MainViewTest, EveryAccessCountsOnBothCounters) {
    Load(0, {0x3A, 0x34, 0x12, 0x32, 0x10, 0xFC, 0x00}); // LD A,($1234); LD ($FC10),A; NOP
    Run(1);
    EXPECT_EQ(m_main->m_nPtmCount, 4);
    EXPECT_EQ(m_main->m_nSpeedCount, 4);
    Run(2);
    EXPECT_EQ(m_main->m_nPtmCount, 9);
    EXPECT_EQ(m_main->m_nSpeedCount, 9);
}

TEST_F(MainViewTest, FixedAreaAndIoPageAreTheBoardsAndVectorAreaIsBankedRam) {
    m_main->m_io[0xC10] = 0x5A;
    m_main->m_io[0xD2F] = 1;
    m_main->m_io[0xD04] = 0x03;        // BREAK, dropped by a read through the board
    Load(0x10000, {0x3A, 0x04, 0xFD,   // LD A,($FD04)
                   0x3A, 0x10, 0xFC,   // LD A,($FC10)
                   0x32, 0x81, 0xFC,   // LD ($FC81),A
                   0x32, 0x00, 0xFE,   // LD ($FE00),A
                   0x32, 0x10, 0xFD,   // LD ($FD10),A
                   0x3A, 0xF0, 0xFF}); // LD A,($FFF0)
    m_main->m_ram[0x1FFF0] = 0x44;
    Run(6);
    EXPECT_EQ(m_main->m_io[0xD04], 0x01);
    EXPECT_EQ(m_main->m_io[0xC81], 0x5A);
    EXPECT_EQ(m_main->m_ram[0x1FE00], 0x5A);
    EXPECT_EQ(m_main->m_io[0xE00], 0x00);
    EXPECT_EQ(m_main->m_io[0xD10], 0x5A);
    EXPECT_EQ(m_main->m_ram[0x1FD10], 0x00);
    EXPECT_EQ(Z().m_reg.A(), 0x44);
}

// The bank is looked up on every access: a store to $FD2F moves the next fetch, and only
// the low four bits count.
TEST_F(MainViewTest, BankSwitchTakesEffectAtTheNextFetch) {
    Load(0x00000, {0x3E, 0x13, 0x32, 0x2F, 0xFD, 0x06, 0x11}); // LD A,$13; LD ($FD2F),A; LD B,$11
    Load(0x30005, {0x06, 0x77, 0xC5});                         // bank 3: LD B,$77; PUSH BC
    Run(4);
    EXPECT_EQ(Z().m_reg.BC, 0x7700);
    EXPECT_EQ(Z().m_reg.PC, 0x0008);
    // PUSH at SP 0 lands at the top of the current bank, not in the vector area.
    EXPECT_EQ(m_main->m_ram[0x3FFFF], 0x77);
    EXPECT_EQ(m_main->m_io[0xFFF], 0x00);
}

// (A reset starting the Z80 at zero: the main board's tests.)
TEST_F(MainViewTest, CardSwitchKeepsRegisters) {
    CSubCpu sub;
    m_main->m_pSub = &sub;
    m_main->Reset();
    Load(0, {0x06, 0x05, 0x04, 0x04}); // LD B,5; INC B; INC B
    m_main->WriteIo(0xFD05, 0x01);
    m_main->Step();
    m_main->Step();
    EXPECT_EQ(Z().m_reg.BC, 0x0600);
    EXPECT_EQ(Z().m_reg.signals, 0);
    m_main->WriteIo(0xFD05, 0x00);
    m_main->Step();
    EXPECT_EQ(Z().m_reg.signals, 0x08);
    EXPECT_EQ(Z().m_reg.PC, 0x0003);
    m_main->WriteIo(0xFD05, 0x01);
    m_main->Step();
    EXPECT_EQ(Z().m_reg.BC, 0x0700);
    m_main->m_pSub = nullptr;
}

} // namespace
