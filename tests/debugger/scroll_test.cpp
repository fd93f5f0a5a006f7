// Scrolling the trace view: line and page steps, thumb, clamping, and what the
// eight display lines show at each position.
#include <gtest/gtest.h>

#include <string>

#include "debugger/stat09.h"

namespace {

using Scroll = CStatPage::Scroll;

class ScrollTest : public testing::Test {
protected:
    void Fill(int n) {
        REG09 reg{};
        for (int i = 1; i <= n; ++i)
            m_page.Update(&reg, ("L" + std::to_string(i)).c_str());
    }
    // The line shown on display line i ("" when empty).
    const std::string& Shown(int i) const { return m_page.m_strLine[i]; }
    CStat09 m_page;
};

struct ScrollCase {
    const char* name;
    int held;  // lines appended L1..Lheld
    int start; // position set by thumb first
    Scroll code;
    int thumb;
    int expected; // resulting position
};

class ScrollCodes : public ScrollTest, public testing::WithParamInterface<ScrollCase> {};

TEST_P(ScrollCodes, NewPosition) {
    const ScrollCase& c = GetParam();
    Fill(c.held);
    m_page.OnVScroll(Scroll::ThumbPosition, c.start);
    m_page.OnVScroll(c.code, c.thumb);
    EXPECT_EQ(m_page.m_nScrollPos, c.expected);
    // Position p shows the p-th oldest line held at the bottom.
    int oldest = c.held > 512 ? c.held - 511 : 1;
    if (c.expected >= 1)
        EXPECT_EQ(Shown(0), "L" + std::to_string(oldest + c.expected - 1));
    else
        EXPECT_EQ(Shown(0), "");
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ScrollCodes,
    testing::Values(ScrollCase{"LineUp", 20, 10, Scroll::LineUp, 0, 9},
                    ScrollCase{"LineUpAtTop", 20, 0, Scroll::LineUp, 0, 0},
                    ScrollCase{"LineDown", 20, 10, Scroll::LineDown, 0, 11},
                    ScrollCase{"LineDownAtEnd", 20, 20, Scroll::LineDown, 0, 20},
                    ScrollCase{"PageUp", 20, 10, Scroll::PageUp, 0, 3},
                    ScrollCase{"PageUpClamped", 20, 5, Scroll::PageUp, 0, 0},
                    ScrollCase{"PageDown", 20, 10, Scroll::PageDown, 0, 17},
                    ScrollCase{"PageDownNearEnd", 20, 16, Scroll::PageDown, 0, 20},
                    ScrollCase{"ThumbBeyondCount", 20, 0, Scroll::ThumbTrack, 400, 20},
                    ScrollCase{"ThumbNegative", 20, 5, Scroll::ThumbPosition, -3, 0},
                    ScrollCase{"Top", 20, 10, Scroll::Top, 0, 0},
                    ScrollCase{"Bottom", 20, 3, Scroll::Bottom, 0, 20},
                    ScrollCase{"EndScrollKeeps", 20, 7, Scroll::EndScroll, 99, 7},
                    ScrollCase{"FullRingOldest", 600, 100, Scroll::ThumbTrack, 1, 1},
                    ScrollCase{"FullRingBottom", 600, 100, Scroll::Bottom, 0, 512},
                    ScrollCase{"FullRingPageDown", 600, 509, Scroll::PageDown, 0, 512}),
    [](const testing::TestParamInfo<ScrollCase>& i) { return std::string(i.param.name); });

TEST_F(ScrollTest, LinesAboveOldestAreEmpty) {
    Fill(600); // full ring: L89..L600
    for (int p = 0; p < 8; ++p) {
        m_page.OnVScroll(Scroll::ThumbTrack, p);
        for (int i = 0; i < 8; ++i) {
            std::string expect = i < p ? "L" + std::to_string(89 + p - 1 - i) : "";
            EXPECT_EQ(Shown(i), expect) << "position " << p << " line " << i;
        }
    }
}

TEST_F(ScrollTest, MiddlePositionShowsEightConsecutiveLines) {
    Fill(30);
    m_page.OnVScroll(Scroll::ThumbPosition, 15);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Shown(i), "L" + std::to_string(15 - i));
    EXPECT_EQ(m_page.m_nNewest, 14);
}

TEST_F(ScrollTest, EmptyPageStaysAtZero) {
    m_page.OnVScroll(Scroll::LineDown, 0);
    EXPECT_EQ(m_page.m_nScrollPos, 0);
    m_page.OnVScroll(Scroll::Bottom, 0);
    EXPECT_EQ(m_page.m_nScrollPos, 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Shown(i), "");
}

} // namespace
