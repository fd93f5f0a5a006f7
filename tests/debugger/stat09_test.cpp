// The HD6309 page without its window: formatting, history ring, signal words and
// the change bookkeeping that keeps a STEP run cheap.
#include <gtest/gtest.h>

#include <string>

#include "debugger/stat09.h"

namespace {

std::string Line(int n) {
    return "L" + std::to_string(n);
}

TEST(Stat09, FirstFillShowsZeroRegistersAndEmptyBottomLine) {
    CStat09 page;
    REG09 reg{};
    page.Update(&reg, "");
    for (int i = CStat09::kD; i <= CStat09::kPC; ++i)
        EXPECT_EQ(page.m_strText[i], "0000");
    EXPECT_EQ(page.m_strText[CStat09::kCC], "00");
    EXPECT_EQ(page.m_strText[CStat09::kFlags], "--------");
    EXPECT_EQ(page.m_strText[CStat09::kHalt], "");
    EXPECT_EQ(page.m_nCount, 1);
    EXPECT_EQ(page.m_nScrollPos, 1);
    for (const std::string& l : page.m_strLine)
        EXPECT_EQ(l, "");
}

TEST(Stat09, FormatsChangedRegistersOnly) {
    CStat09 page;
    REG09 reg{};
    reg.D = 0xABCD;
    reg.W = 0x00FF;
    reg.X = 0x1234;
    reg.Y = 0xF00F;
    reg.U = 0x0001;
    reg.S = 0x8000;
    reg.V = 0x7FFF;
    reg.PC = 0xFFFF;
    reg.DP = 0x0A;
    reg.MD = 0xC3;
    page.Update(&reg, "X");
    const char* expect[] = {"ABCD", "00FF", "1234", "F00F", "0001", "8000",
                            "7FFF", "FFFF", "00",   "0A",   "C3"};
    for (int i = 0; i <= CStat09::kMD; ++i)
        EXPECT_EQ(page.m_strText[i], expect[i]) << i;

    // A text that no longer matches its register is left alone when the register
    // stays the same: only changed registers are formatted.
    page.m_strText[CStat09::kX] = "keep";
    page.TakeDirty();
    reg.Y = 0x0002;
    page.Update(&reg, "Y");
    EXPECT_EQ(page.m_strText[CStat09::kX], "keep");
    EXPECT_EQ(page.m_strText[CStat09::kY], "0002");
    uint32_t d = page.TakeDirty();
    EXPECT_TRUE(d & (1u << CStat09::kY));
    EXPECT_FALSE(d & (1u << CStat09::kX));
    EXPECT_FALSE(d & (1u << CStat09::kD));
}

TEST(Stat09, FlagLetters) {
    struct {
        uint8_t cc;
        const char* text;
    } cases[] = {{0x00, "--------"}, {0xFF, "EFHINZVC"}, {0x80, "E-------"},
                 {0x01, "-------C"}, {0x54, "-F-I-Z--"}, {0x2A, "--H-N-V-"}};
    CStat09 page;
    REG09 reg{};
    for (const auto& c : cases) {
        reg.CC = c.cc;
        page.Update(&reg, "");
        EXPECT_EQ(page.m_strText[CStat09::kFlags], c.text) << int(c.cc);
        EXPECT_EQ(page.m_strText[CStat09::kCC].size(), 2u);
    }
}

TEST(Stat09, SignalWords) {
    struct {
        uint8_t signals;
        const char *irq, *firq, *nmi, *halt;
    } cases[] = {{SIG_IRQ, "IRQ", "", "", ""},
                 {SIG_FIRQ | SIG_NMI, "", "FIRQ", "NMI", ""},
                 {SIG_HALT, "", "", "", "HALT"},
                 {0x0F, "IRQ", "FIRQ", "NMI", "HALT"},
                 {0, "", "", "", ""}};
    CStat09 page;
    REG09 reg{};
    for (const auto& c : cases) {
        reg.signals = c.signals;
        page.UpdateSignals(&reg);
        EXPECT_EQ(page.m_strText[CStat09::kIrq], c.irq);
        EXPECT_EQ(page.m_strText[CStat09::kFirq], c.firq);
        EXPECT_EQ(page.m_strText[CStat09::kNmi], c.nmi);
        EXPECT_EQ(page.m_strText[CStat09::kHalt], c.halt);
        EXPECT_EQ(page.m_regLast.signals, c.signals);
    }
}

TEST(Stat09, HaltStepAddsNoLineAndShowsHalt) {
    CStat09 page;
    REG09 reg{};
    page.Update(&reg, "");
    page.Update(&reg, "0100 NOP");
    reg.signals = SIG_HALT;
    reg.PC = 0x1234; // UpdateSignals looks at signals only
    page.UpdateSignals(&reg);
    EXPECT_EQ(page.m_nCount, 2);
    EXPECT_EQ(page.m_strLine[0], "0100 NOP");
    EXPECT_EQ(page.m_strText[CStat09::kHalt], "HALT");
    EXPECT_EQ(page.m_strText[CStat09::kPC], "0000");
    EXPECT_EQ(page.m_regLast.PC, 0);
}

TEST(Stat09, UnchangedSignalsDoNothing) {
    CStat09 page;
    int calls = 0;
    page.SetListener([&] { ++calls; });
    REG09 reg{};
    reg.signals = SIG_IRQ;
    page.UpdateSignals(&reg);
    EXPECT_EQ(calls, 1);
    page.TakeDirty();
    for (int i = 0; i < 3; ++i)
        page.UpdateSignals(&reg);
    EXPECT_EQ(page.Dirty(), 0u);
    EXPECT_EQ(calls, 1);
}

TEST(Stat09, ZeroOrWaitChangeNoTextButAppendLine) {
    CStat09 page;
    REG09 reg{};
    page.Update(&reg, "a");
    page.TakeDirty();
    reg.ZERO = 0x55;
    reg.wait = WAIT_CWAI | WAIT_NMI;
    page.Update(&reg, "b");
    uint32_t d = page.TakeDirty();
    EXPECT_EQ(d & ((1u << CStat09::kTextCount) - 1), 0u);
    EXPECT_EQ(page.m_nCount, 2);
    EXPECT_EQ(page.m_strLine[0], "b");
    EXPECT_EQ(page.m_regLast.ZERO, 0x55);
    EXPECT_EQ(page.m_regLast.wait, WAIT_CWAI | WAIT_NMI);
}

TEST(Stat09, NullLineIsEmpty) {
    CStat09 page;
    REG09 reg{};
    page.Update(&reg, "x");
    page.Update(&reg, nullptr);
    EXPECT_EQ(page.m_strLine[0], "");
    EXPECT_EQ(page.m_strLine[1], "x");
}

TEST(Stat09, RingKeepsLast512) {
    CStat09 page;
    REG09 reg{};
    for (int n = 0; n < 513; ++n)
        page.Update(&reg, Line(n).c_str());
    EXPECT_EQ(page.m_nCount, 512);
    EXPECT_EQ(page.m_nWrite, 1);
    EXPECT_EQ(page.m_nNewest, 0);
    EXPECT_EQ(page.m_nScrollPos, 512);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(page.m_strLine[i], Line(512 - i));
    // The first line is gone: scrolling to the oldest shows line 1.
    page.OnVScroll(CStatPage::Scroll::ThumbTrack, 1);
    EXPECT_EQ(page.m_strLine[0], Line(1));
    for (int i = 1; i < 8; ++i)
        EXPECT_EQ(page.m_strLine[i], "");
}

TEST(Stat09, NewLineReturnsToNewest) {
    CStat09 page;
    REG09 reg{};
    for (int n = 0; n < 20; ++n)
        page.Update(&reg, Line(n).c_str());
    page.OnVScroll(CStatPage::Scroll::Top, 0);
    EXPECT_EQ(page.m_nScrollPos, 0);
    page.Update(&reg, "new");
    EXPECT_EQ(page.m_nScrollPos, 21);
    EXPECT_EQ(page.m_strLine[0], "new");
    EXPECT_EQ(page.m_strLine[1], Line(19));
}

TEST(Stat09, ListenerCalledOncePerBatch) {
    CStat09 page;
    int calls = 0;
    page.SetListener([&] { ++calls; });
    REG09 reg{};
    for (int n = 0; n < 100; ++n) {
        reg.PC = uint16_t(n);
        page.Update(&reg, Line(n).c_str());
    }
    EXPECT_EQ(calls, 1);
    uint32_t d = page.TakeDirty();
    EXPECT_TRUE(d & CStatPage::kDirtyLines);
    EXPECT_TRUE(d & CStatPage::kDirtyScroll);
    EXPECT_TRUE(d & (1u << CStat09::kPC));
    page.Update(&reg, "again");
    EXPECT_EQ(calls, 2);
}

} // namespace
