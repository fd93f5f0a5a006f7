// The debugger pages without their windows: register, flag and signal texts, the
// 512-line history and scrolling.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "debugger/stat09.h"
#include "debugger/statz80.h"

namespace {

using Scroll = CStatPage::Scroll;

std::string Line(int n) {
    return "L" + std::to_string(n);
}

// Appends the lines L<from>..L<to>.
void Fill(CStat09& page, int from, int to) {
    REG09 reg{};
    for (int n = from; n <= to; ++n)
        page.Update(&reg, Line(n).c_str());
}

// The first fill shows zero registers and an empty bottom line; then the texts follow
// the registers.
TEST(Pages, RegisterFlagAndIffTexts) {
    CStat09 page09;
    CStatZ80 pageZ80;
    REG09 r09{};
    REGZ80 rZ80{};
    page09.Update(&r09, "");
    pageZ80.Update(&rZ80, nullptr);
    for (int i = CStat09::kD; i <= CStat09::kPC; ++i)
        EXPECT_EQ(page09.m_strText[i], "0000") << i;
    EXPECT_EQ(page09.m_strText[CStat09::kFlags], "--------");
    EXPECT_EQ(pageZ80.m_strText[CStatZ80::kPC], "0000");
    EXPECT_EQ(pageZ80.m_strText[CStatZ80::kFlags], "------");
    for (const CStatPage* page : {(CStatPage*)&page09, (CStatPage*)&pageZ80}) {
        EXPECT_EQ(page->m_nCount, 1);
        EXPECT_EQ(page->m_nScrollPos, 1);
        for (const std::string& line : page->m_strLine)
            EXPECT_EQ(line, "");
    }

    // W D X Y U S V PC, CC DP MD ZERO, wait, signals
    r09 = {0x00FF, 0xABCD, 0x1234, 0xF00F, 0x0001, 0x8000, 0x7FFF,
           0xFFFF, 0x54,   0x0A,   0xC3,   0,      0,      0};
    page09.Update(&r09, "");
    const char* e09[] = {"ABCD", "00FF", "1234", "F00F", "0001", "8000",
                         "7FFF", "FFFF", "54",   "0A",   "C3",   "-F-I-Z--"};
    for (int i = CStat09::kD; i <= CStat09::kFlags; ++i)
        EXPECT_EQ(page09.m_strText[i], e09[i]) << i;
    for (auto [cc, flags] : {std::pair<int, const char*>{0x2A, "--H-N-V-"}, {0x81, "E------C"}}) {
        r09.CC = uint8_t(cc);
        page09.Update(&r09, "");
        EXPECT_EQ(page09.m_strText[CStat09::kFlags], flags);
    }

    // AF BC DE HL RI AF' BC' DE' HL' IX IY SP PC, flags S Z H PV N C, IFF1 IFF2, signals
    rZ80 = {0x1100, 0x2200, 0x3300, 0x4400, 0x5500, 0x6600, 0x7700, 0x8800, 0x9900, 0xAA00, 0xBB00,
            0xCC00, 0xDD0F, 0x80,   0,      2,      0,      0,      1,      0,      1,      0};
    pageZ80.Update(&rZ80, "");
    const char* eZ80[] = {"1100", "6600", "2200", "7700", "3300", "8800", "S-H--C", "4400",
                          "9900", "0001", "AA00", "BB00", "DD0F", "5500", "CC00"};
    for (int i = CStatZ80::kAF; i < CStatZ80::kHalt; ++i)
        EXPECT_EQ(pageZ80.m_strText[i], eZ80[i]) << i;
    // Any non-zero flag byte sets its letter; IFF1 prints in lower case, IFF2 in upper.
    rZ80 = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 4, 1, 0, 0x0A, 0x0B, 0};
    pageZ80.Update(&rZ80, "");
    EXPECT_EQ(pageZ80.m_strText[CStatZ80::kFlags], "-Z-PN-");
    EXPECT_EQ(pageZ80.m_strText[CStatZ80::kIFF], "0a0B");
}

// The board's signal call reads only the signals and adds no line.
TEST(Pages, SignalWords) {
    struct {
        uint8_t signals;
        const char *irq, *firq, *nmi, *halt;
    } cases[] = {{SIG_IRQ | SIG_NMI, "IRQ", "", "NMI", ""},
                 {SIG_FIRQ | SIG_HALT, "", "FIRQ", "", "HALT"},
                 {0, "", "", "", ""}};
    CStat09 page09;
    CStatZ80 pageZ80;
    REG09 r09{};
    REGZ80 rZ80{};
    page09.Update(&r09, "0100 NOP");
    r09.PC = 0x1234;
    for (const auto& c : cases) {
        r09.signals = rZ80.signals = c.signals;
        page09.UpdateSignals(&r09);
        pageZ80.Update(&rZ80, "");
        EXPECT_EQ(page09.m_strText[CStat09::kIrq], c.irq);
        EXPECT_EQ(page09.m_strText[CStat09::kFirq], c.firq);
        EXPECT_EQ(page09.m_strText[CStat09::kNmi], c.nmi);
        EXPECT_EQ(page09.m_strText[CStat09::kHalt], c.halt);
        EXPECT_EQ(pageZ80.m_strText[CStatZ80::kIrq], c.irq);
        EXPECT_EQ(pageZ80.m_strText[CStatZ80::kHalt], c.halt);
        EXPECT_EQ(page09.m_nCount, 1);
        EXPECT_EQ(page09.m_strLine[0], "0100 NOP");
        EXPECT_EQ(page09.m_strText[CStat09::kPC], "0000");
    }
    page09.Update(&r09, "1234 NOP");
    EXPECT_EQ(page09.m_strText[CStat09::kPC], "1234");
}

TEST(Pages, ZeroOrWaitChangeNoTextButAppendTheLine) {
    CStat09 page;
    REG09 reg{};
    page.Update(&reg, "a");
    page.TakeDirty();
    reg.ZERO = 0x55;
    reg.wait = WAIT_CWAI | WAIT_NMI;
    page.Update(&reg, "b");
    EXPECT_EQ(page.TakeDirty() & ((1u << CStat09::kTextCount) - 1), 0u);
    EXPECT_EQ(page.m_nCount, 2);
    EXPECT_EQ(page.m_strLine[0], "b");
}

TEST(Pages, HistoryKeepsTheLast512Lines) {
    CStat09 page;
    Fill(page, 1, 513);
    EXPECT_EQ(page.m_nCount, 512);
    EXPECT_EQ(page.m_nScrollPos, 512);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(page.m_strLine[i], Line(513 - i));
    page.OnVScroll(Scroll::ThumbTrack, 1); // the oldest held: L1 is gone
    EXPECT_EQ(page.m_strLine[0], Line(2));
    EXPECT_EQ(page.m_strLine[1], "");
    Fill(page, 514, 514); // a new line brings the view back to the newest
    EXPECT_EQ(page.m_nScrollPos, 512);
    EXPECT_EQ(page.m_strLine[0], Line(514));
    EXPECT_EQ(page.m_strLine[1], Line(513));
}

TEST(Pages, ScrollingIsClampedAndShowsTheLinesUpToThePosition) {
    struct {
        int held, start;
        Scroll code;
        int thumb, expected;
    } cases[] = {{20, 5, Scroll::PageUp, 0, 0},        {20, 5, Scroll::ThumbPosition, -3, 0},
                 {20, 7, Scroll::EndScroll, 99, 7},    {0, 0, Scroll::Bottom, 0, 0},
                 {600, 100, Scroll::ThumbTrack, 3, 3}, {600, 100, Scroll::LineDown, 0, 101},
                 {600, 509, Scroll::PageDown, 0, 512}};
    for (const auto& c : cases) {
        CStat09 page;
        Fill(page, 1, c.held);
        page.OnVScroll(Scroll::ThumbPosition, c.start);
        page.OnVScroll(c.code, c.thumb);
        EXPECT_EQ(page.m_nScrollPos, c.expected) << c.held << " " << c.start;
        // Position p shows the p-th oldest line held at the bottom, the older ones above.
        const int oldest = std::max(1, c.held - 511);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(page.m_strLine[i], c.expected > i ? Line(oldest + c.expected - 1 - i) : "")
                << c.held << " " << c.start << " line " << i;
    }
}

} // namespace
