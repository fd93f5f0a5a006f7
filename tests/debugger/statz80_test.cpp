// The Z80 page without its window: words, flag letters, IFF text, signal words.
#include <gtest/gtest.h>

#include "cpu6309/sim09.h"
#include "debugger/statz80.h"

namespace {

TEST(StatZ80, InitialTexts) {
    CStatZ80 page;
    for (int i = 0; i < CStatZ80::kTextCount; ++i) {
        if (i == CStatZ80::kFlags)
            EXPECT_EQ(page.m_strText[i], "------");
        else if (i == CStatZ80::kHalt || i == CStatZ80::kIrq)
            EXPECT_EQ(page.m_strText[i], "");
        else
            EXPECT_EQ(page.m_strText[i], "0000") << i;
    }
}

TEST(StatZ80, WordsGoToTheirFields) {
    CStatZ80 page;
    REGZ80 reg{};
    reg.AF = 0x1100;
    reg.BC = 0x2200;
    reg.DE = 0x3300;
    reg.HL = 0x4400;
    reg.RI = 0x5500;
    reg.AF2 = 0x6600;
    reg.BC2 = 0x7700;
    reg.DE2 = 0x8800;
    reg.HL2 = 0x9900;
    reg.IX = 0xAA00;
    reg.IY = 0xBB00;
    reg.SP = 0xCC00;
    reg.PC = 0xDD0F;
    page.Update(&reg, "");
    struct {
        int text;
        const char* value;
    } expect[] = {{CStatZ80::kAF, "1100"},  {CStatZ80::kBC, "2200"},  {CStatZ80::kDE, "3300"},
                  {CStatZ80::kHL, "4400"},  {CStatZ80::kRI, "5500"},  {CStatZ80::kAF2, "6600"},
                  {CStatZ80::kBC2, "7700"}, {CStatZ80::kDE2, "8800"}, {CStatZ80::kHL2, "9900"},
                  {CStatZ80::kIX, "AA00"},  {CStatZ80::kIY, "BB00"},  {CStatZ80::kSP, "CC00"},
                  {CStatZ80::kPC, "DD0F"}};
    for (const auto& e : expect)
        EXPECT_EQ(page.m_strText[e.text], e.value) << e.text;
}

TEST(StatZ80, FlagLettersFromNonZeroBytes) {
    struct {
        uint8_t s, z, h, pv, n, c;
        const char* text;
    } cases[] = {{0, 0, 0, 0, 0, 0, "------"},
                 {1, 1, 1, 1, 1, 1, "SZHPNC"},
                 {0x80, 0, 2, 0, 0, 1, "S-H--C"},
                 {0, 1, 0, 1, 1, 0, "-Z-PN-"}};
    CStatZ80 page;
    REGZ80 reg{};
    for (const auto& c : cases) {
        reg.fS = c.s;
        reg.fZ = c.z;
        reg.fH = c.h;
        reg.fPV = c.pv;
        reg.fN = c.n;
        reg.fC = c.c;
        page.Update(&reg, "");
        EXPECT_EQ(page.m_strText[CStatZ80::kFlags], c.text);
    }
}

TEST(StatZ80, IffText) {
    struct {
        uint8_t iff1, iff2;
        const char* text;
    } cases[] = {{1, 1, "0101"}, {0, 0, "0000"}, {0, 1, "0001"}, {1, 0, "0100"}};
    CStatZ80 page;
    REGZ80 reg{};
    for (const auto& c : cases) {
        reg.IFF1 = c.iff1;
        reg.IFF2 = c.iff2;
        page.Update(&reg, "");
        EXPECT_EQ(page.m_strText[CStatZ80::kIFF], c.text);
    }
}

TEST(StatZ80, SignalWordsAndHalt) {
    CStatZ80 page;
    REGZ80 reg{};
    page.Update(&reg, "");
    reg.signals = SIG_HALT;
    page.UpdateSignals(&reg);
    EXPECT_EQ(page.m_strText[CStatZ80::kHalt], "HALT");
    EXPECT_EQ(page.m_strText[CStatZ80::kIrq], "");
    EXPECT_EQ(page.m_nCount, 1);
    reg.signals = SIG_IRQ;
    page.Update(&reg, "0000 NOP");
    EXPECT_EQ(page.m_strText[CStatZ80::kHalt], "");
    EXPECT_EQ(page.m_strText[CStatZ80::kIrq], "IRQ");
    EXPECT_EQ(page.m_strLine[0], "0000 NOP");
    EXPECT_EQ(page.m_strLine[1], "");

    page.TakeDirty();
    page.UpdateSignals(&reg);
    EXPECT_EQ(page.Dirty(), 0u);
}

} // namespace
