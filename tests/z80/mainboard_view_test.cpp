// The Z80 on the main board: access counting, the fixed area, the I/O page, the bank
// register $FD2F, and the card switch. Uses a real CMainCpu with the pointers linked
// the way the board's reset links them.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "display/sub_cpu.h"
#include "flat_z80.h"
#include "mainboard/main_cpu.h"

namespace {

class MainViewTest : public testing::Test {
protected:
    void SetUp() override {
        std::memset(m_main->m_ram, 0, sizeof m_main->m_ram);
        std::memset(m_main->m_io, 0, sizeof m_main->m_io);
        Z().m_pMain = m_main.get();
        Z().m_pIo = m_main->m_io;
        Z().m_pMem = m_main->m_ram;
        Z().m_reg = {};
        m_main->m_nPtmCount = 0;
        m_main->m_nSpeedCount = 0;
    }
    CSimZ80& Z() { return m_main->m_z80; }
    void Load(uint32_t phys, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes)
            m_main->m_ram[phys++] = b;
    }
    // The board's own I/O page semantics (a write to $FD03 is ignored) tell the real
    // main board from the placeholder that only stores bytes.
    bool MainBoardLanded() {
        uint8_t keep = m_main->m_io[0xD03];
        m_main->WriteIo(0xFD03, uint8_t(keep ^ 0x5A));
        bool real = m_main->m_io[0xD03] == keep;
        m_main->m_io[0xD03] = keep;
        return real;
    }

    std::unique_ptr<CMainCpu> m_main = std::make_unique<CMainCpu>();
};

TEST_F(MainViewTest, EveryAccessCountsOnBothCounters) {
    Load(0, {0x3A, 0x34, 0x12, 0x32, 0x10, 0xFC, 0x00}); // LD A,($1234); LD ($FC10),A; NOP
    Z().Execute();
    EXPECT_EQ(m_main->m_nPtmCount, 4);
    EXPECT_EQ(m_main->m_nSpeedCount, 4);
    Z().Execute();
    Z().Execute();
    EXPECT_EQ(m_main->m_nPtmCount, 9);
    EXPECT_EQ(m_main->m_nSpeedCount, 9);
}

TEST_F(MainViewTest, TraceReadsCountToo) {
    class Page : public CTracePageZ80 {
    public:
        void Update(const REGZ80*, const char*) override {}
        void UpdateSignals(const REGZ80*) override {}
    } page;
    Z().m_pStat = &page;
    Z().Execute(); // NOP
    Z().m_pStat = nullptr;
    EXPECT_EQ(m_main->m_nPtmCount, 7);
    EXPECT_EQ(m_main->m_nSpeedCount, 7);
}

TEST_F(MainViewTest, FixedAreaIsTheBoardsAndVectorAreaIsBankedRam) {
    m_main->m_io[0xC10] = 0x5A;
    m_main->m_io[0xFF0] = 0x99;
    m_main->m_io[0xD2F] = 1;
    Load(0x10000, {0x3A, 0x10, 0xFC,   // LD A,($FC10)
                   0x32, 0x81, 0xFC,   // LD ($FC81),A
                   0x32, 0x00, 0xFE,   // LD ($FE00),A
                   0x3A, 0xF0, 0xFF}); // LD A,($FFF0)
    m_main->m_ram[0x1FFF0] = 0x44;
    for (int i = 0; i < 4; ++i)
        Z().Execute();
    EXPECT_EQ(m_main->m_io[0xC81], 0x5A);
    EXPECT_EQ(m_main->m_ram[0x1FE00], 0x5A);
    EXPECT_EQ(m_main->m_io[0xE00], 0x00);
    EXPECT_EQ(Z().m_reg.A(), 0x44);
}

TEST_F(MainViewTest, IoPageGoesThroughTheBoardsRegisters) {
    Load(0, {0x3E, 0xA5, 0x32, 0x10, 0xFD, 0xAF, 0x3A, 0x10,
             0xFD}); // LD A; LD ($FD10),A; XOR A; LD A,($FD10)
    for (int i = 0; i < 4; ++i)
        Z().Execute();
    EXPECT_EQ(m_main->m_io[0xD10], 0xA5);
    EXPECT_EQ(m_main->m_ram[0xFD10], 0x00);
    EXPECT_EQ(Z().m_reg.A(), 0xA5);
}

TEST_F(MainViewTest, BankComesFromLowFourBitsOfFd2f) {
    m_main->m_io[0xD2F] = 0x13;
    Load(0x30000, {0x06, 0x42}); // LD B,$42 in bank 3
    Z().Execute();
    EXPECT_EQ(Z().m_reg.BC, 0x4200);
}

TEST_F(MainViewTest, BankSwitchTakesEffectAtTheNextFetch) {
    Load(0x00000, {0x3E, 0x01, 0x32, 0x2F, 0xFD, 0x06, 0x11}); // LD A,1; LD ($FD2F),A; LD B,$11
    Load(0x10005, {0x06, 0x77});                               // bank 1: LD B,$77
    for (int i = 0; i < 3; ++i)
        Z().Execute();
    EXPECT_EQ(m_main->m_io[0xD2F], 0x01);
    EXPECT_EQ(Z().m_reg.BC, 0x7700);
    EXPECT_EQ(Z().m_reg.PC, 0x0007);
}

TEST_F(MainViewTest, PushAtSpZeroLandsAtTopOfCurrentBank) {
    m_main->m_io[0xD2F] = 2;
    Z().m_reg.BC = 0xBEEF;
    Load(0x20000, {0xC5}); // PUSH BC
    Z().Execute();
    EXPECT_EQ(m_main->m_ram[0x2FFFE], 0xEF);
    EXPECT_EQ(m_main->m_ram[0x2FFFF], 0xBE);
    EXPECT_EQ(m_main->m_io[0xFFE], 0x00);
    EXPECT_EQ(m_main->m_io[0xFFF], 0x00);
}

TEST_F(MainViewTest, ReadOfFd01TakesTheKey) {
    if (!MainBoardLanded()) GTEST_SKIP() << "needs the main board's I/O page (key register $FD01)";
    CSubCpu sub;
    sub.m_pMainIo = m_main->m_io;
    sub.m_pPal = m_main->m_pal;
    m_main->m_pSub = &sub;
    m_main->m_io[0xD01] = 0x41;
    m_main->m_io[0xD03] = 0x40;
    m_main->m_io[0x103] = 0x40;
    Load(0, {0x3A, 0x01, 0xFD}); // LD A,($FD01)
    Z().Execute();
    EXPECT_EQ(Z().m_reg.A(), 0x41);
    EXPECT_EQ(m_main->m_io[0xD03] & 0x40, 0);
    EXPECT_EQ(m_main->m_io[0x103] & 0x40, 0);
    m_main->m_pSub = nullptr;
}

TEST_F(MainViewTest, CardSwitchKeepsRegistersAndResetStartsAtZero) {
    if (!MainBoardLanded())
        GTEST_SKIP() << "needs the main board's Reset and Step (Z80 switch $FD05)";
    CSubCpu sub;
    m_main->m_pSub = &sub;
    Z().m_reg.PC = 0x1234;
    m_main->Reset();
    EXPECT_EQ(Z().m_pMain, m_main.get());
    EXPECT_EQ(Z().m_pIo, m_main->m_io);
    EXPECT_EQ(Z().m_pMem, m_main->m_ram);
    EXPECT_EQ(Z().m_reg.PC, 0);
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
