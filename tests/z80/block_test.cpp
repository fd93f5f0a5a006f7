// Block instructions: single steps, and repeating forms that finish inside one Execute.
#include <gtest/gtest.h>

#include "flat_z80.h"

namespace {

class BlockTest : public testing::Test {
protected:
    std::unique_ptr<FlatZ80> m_z = std::make_unique<FlatZ80>();
    REGZ80& R() { return m_z->m_reg; }
};

TEST_F(BlockTest, LdiAndLddStep) {
    m_z->Load(0x2000, {0x11, 0x22});
    R().HL = 0x2000, R().DE = 0x3000, R().BC = 2;
    SetFlags(R(), "SZHNC");
    m_z->Run(0x1000, {0xED, 0xA0});
    EXPECT_EQ(m_z->m_ram[0x3000], 0x11);
    EXPECT_EQ(R().HL, 0x2001);
    EXPECT_EQ(R().DE, 0x3001);
    EXPECT_EQ(R().BC, 1);
    EXPECT_EQ(FlagText(R()), "SZPC");
    m_z->Run(0x1000, {0xED, 0xA8});
    EXPECT_EQ(m_z->m_ram[0x3001], 0x22);
    EXPECT_EQ(R().HL, 0x2000);
    EXPECT_EQ(R().DE, 0x3000);
    EXPECT_EQ(FlagText(R()), "SZC");
}

TEST_F(BlockTest, LdirWithBcZeroCopies65536BytesInOneExecute) {
    for (int i = 0; i < 0x10000; ++i)
        m_z->m_ram[i] = uint8_t(i * 7 + 3);
    std::vector<uint8_t> before(m_z->m_ram, m_z->m_ram + 0x10000);
    R().HL = 0x0002, R().DE = 0x8002, R().BC = 0;
    R().fPV = 1;
    m_z->Load(0x0000, {0xED, 0xB0});
    m_z->Execute();
    EXPECT_EQ(m_z->m_log.size(), 2u + 2 * 65536);
    EXPECT_EQ(R().PC, 0x0002);
    EXPECT_EQ(R().BC, 0);
    EXPECT_EQ(R().HL, 0x0002);
    EXPECT_EQ(R().DE, 0x8002);
    EXPECT_EQ(FlagText(R()), "");
    // The first half copies the original low half up; the second half copies it back.
    for (int k = 0; k < 0x7FFE; ++k) {
        ASSERT_EQ(m_z->m_ram[0x8002 + k], before[0x0002 + k]) << k;
        ASSERT_EQ(m_z->m_ram[0x0002 + k], before[0x0002 + k]) << k;
    }
}

TEST_F(BlockTest, LddrCopiesDownwards) {
    m_z->Load(0x2000, {1, 2, 3});
    R().HL = 0x2002, R().DE = 0x3002, R().BC = 3;
    m_z->Run(0x1000, {0xED, 0xB8});
    EXPECT_EQ(m_z->m_ram[0x3000], 1);
    EXPECT_EQ(m_z->m_ram[0x3002], 3);
    EXPECT_EQ(R().HL, 0x1FFF);
    EXPECT_EQ(R().DE, 0x2FFF);
    EXPECT_EQ(R().PC, 0x1002);
}

TEST_F(BlockTest, CpirStopsAtMatch) {
    m_z->Load(0x2000, {0x01, 0x02, 0x42, 0x42});
    R().HL = 0x2000, R().BC = 10;
    R().SetA(0x42);
    R().fC = 1;
    m_z->Run(0x1000, {0xED, 0xB1});
    EXPECT_EQ(R().HL, 0x2003);
    EXPECT_EQ(R().BC, 7);
    EXPECT_EQ(FlagText(R()), "ZPNC");
    EXPECT_EQ(m_z->m_log.size(), 5u);
}

TEST_F(BlockTest, CpirAndCpdrRunOutOfCount) {
    m_z->Load(0x2000, {0x50, 0x50, 0x50});
    R().HL = 0x2000, R().BC = 3;
    R().SetA(0x10);
    m_z->Run(0x1000, {0xED, 0xB1});
    EXPECT_EQ(R().BC, 0);
    EXPECT_EQ(R().HL, 0x2003);
    EXPECT_EQ(FlagText(R()), "SN"); // $10 - $50 = $C0
    R().HL = 0x2002, R().BC = 3;
    R().SetA(0x50);
    m_z->m_ram[0x2002] = 0x00;
    m_z->Run(0x1000, {0xED, 0xB9});
    EXPECT_EQ(R().HL, 0x2000);
    EXPECT_EQ(R().BC, 1);
    EXPECT_EQ(FlagText(R()), "ZPN");
}

TEST_F(BlockTest, CpiHalfCarry) {
    m_z->Load(0x2000, {0x01});
    R().HL = 0x2000, R().BC = 1;
    R().SetA(0x10);
    m_z->Run(0x1000, {0xED, 0xA1});
    EXPECT_EQ(FlagText(R()), "HN");
    EXPECT_EQ(R().A(), 0x10);
}

TEST_F(BlockTest, InirWithBZeroMakes256PortReads) {
    std::memset(m_z->m_ram + 0x2000, 0xEE, 0x200);
    R().HL = 0x2000, R().BC = 0x0034;
    SetFlags(R(), "SHPC");
    m_z->Run(0x1000, {0xED, 0xB2});
    EXPECT_EQ(m_z->m_ins.size(), 256u);
    EXPECT_EQ(m_z->m_ins[255], 0x34);
    EXPECT_EQ(m_z->m_ram[0x20FF], 0x00);
    EXPECT_EQ(m_z->m_ram[0x2100], 0xEE);
    EXPECT_EQ(R().HL, 0x2100);
    EXPECT_EQ(R().BC, 0x0034);
    EXPECT_EQ(FlagText(R()), "SZHPNC");
}

TEST_F(BlockTest, OutdOnceAndOtdrRepeated) {
    m_z->Load(0x2000, {0xA1, 0xA2, 0xA3});
    R().HL = 0x2002, R().BC = 0x0310;
    m_z->Run(0x1000, {0xED, 0xAB});
    EXPECT_EQ(m_z->m_outs, std::vector<uint16_t>{0x10A3});
    EXPECT_EQ(R().HL, 0x2001);
    EXPECT_EQ(R().BC, 0x0210);
    EXPECT_EQ(FlagText(R()), "N");
    m_z->m_outs.clear();
    m_z->Run(0x1000, {0xED, 0xBB});
    EXPECT_EQ(m_z->m_outs, (std::vector<uint16_t>{0x10A2, 0x10A1}));
    EXPECT_EQ(R().HL, 0x1FFF);
    EXPECT_EQ(R().BC, 0x0010);
    EXPECT_EQ(FlagText(R()), "ZN");
}

TEST_F(BlockTest, IndAndOtir) {
    R().HL = 0x2000, R().BC = 0x0207;
    m_z->Run(0x1000, {0xED, 0xAA});
    EXPECT_EQ(R().HL, 0x1FFF);
    EXPECT_EQ(R().BC, 0x0107);
    m_z->Load(0x3000, {5, 6});
    R().HL = 0x3000, R().BC = 0x0207;
    m_z->Run(0x1000, {0xED, 0xB3});
    EXPECT_EQ(m_z->m_outs, (std::vector<uint16_t>{0x0705, 0x0706}));
    EXPECT_EQ(R().HL, 0x3002);
}

TEST_F(BlockTest, RrdAndRld) {
    m_z->m_ram[0x2000] = 0x34;
    R().HL = 0x2000;
    R().SetA(0x12);
    m_z->Run(0x1000, {0xED, 0x67});
    EXPECT_EQ(R().A(), 0x14);
    EXPECT_EQ(m_z->m_ram[0x2000], 0x23);
    m_z->Run(0x1000, {0xED, 0x6F});
    EXPECT_EQ(R().A(), 0x12);
    EXPECT_EQ(m_z->m_ram[0x2000], 0x34);
    EXPECT_EQ(FlagText(R()), "P");
}

} // namespace
