// The model around the interpreter: history and scroll-back, double-byte characters at
// the edge, what reaches the window (rectangles, caret commands), and the input queue.
#include <gtest/gtest.h>

#include <cstdio>

#include "term_util.h"
#include "tests/platform/fake_wnd.h"

namespace {

using namespace std::string_literals;

void WriteLines(CTerm& t, int first, int count) {
    char line[16];
    for (int i = first; i < first + count; ++i) {
        std::snprintf(line, sizeof line, "%04d\r\n", i);
        Feed(t, line);
    }
}

// A terminal with a recording window attached.
struct Viewed : CTerm {
    FakeWnd w;
    Viewed() { AttachWindow(&w); }
};

TEST(History, KeepsAtMost999LinesAndOverwritesTheOldest) {
    CTerm t;
    WriteLines(t, 0, 24 + 999); // exactly 999 scrolls
    EXPECT_EQ(t.m_nHistory, 999);
    EXPECT_EQ(t.SetScrollBack(999), 999);
    EXPECT_EQ(RowText(t.ViewRow(0)), "0000");

    WriteLines(t, 1023, 77); // 1076 scrolls in all
    EXPECT_EQ(t.m_nHistory, 999);
    EXPECT_EQ(Row(t, 0), "1076");
    EXPECT_EQ(t.SetScrollBack(5000), 999);
    EXPECT_EQ(RowText(t.ViewRow(0)), "0077");
    EXPECT_EQ(RowText(t.ViewRow(24)), "0101");
    t.SetScrollBack(1);
    EXPECT_EQ(RowText(t.ViewRow(0)), "1075");
}

TEST(History, GrowsOnlyWhenTheRegionIsTheWholeScreen) {
    CTerm t;
    Feed(t, "\x1b[5;20r\x12\x00\x13\n\n\n"s);
    EXPECT_EQ(t.m_nHistory, 0);
    Feed(t, "\x1b[r\x12\x00\x00\x1b[3M"s); // deleting lines at the top feeds it
    EXPECT_EQ(t.m_nHistory, 3);
    // A scrolled-back view keeps its lines while output scrolls.
    t.SetScrollBack(2);
    const std::string top = RowText(t.ViewRow(0));
    t.ScrollUp(0, 25);
    EXPECT_EQ(t.ScrollBack(), 3);
    EXPECT_EQ(RowText(t.ViewRow(0)), top);
}

TEST(History, WriteReturnsTheViewToTheLiveScreen) {
    Viewed t;
    WriteLines(t, 0, 34); // 10 lines of history
    EXPECT_EQ(t.SetScrollBack(25), 10) << "page up stops at the oldest line";
    t.m_bCaretHidden = 1;
    t.w.Clear();
    Feed(t, "\x1b"); // no cursor move, no cell change
    EXPECT_TRUE(t.IsLive());
    EXPECT_EQ(t.m_bCaretHidden, 0);
    EXPECT_EQ(t.w.m_rects, std::vector<CRect>{(CRect{0, 0, 640, 400})});
    EXPECT_EQ(t.w.m_posted, std::vector<unsigned>{ID_TERM_CARET}) << "the caret is shown again";
}

TEST(Screen, DoubleByteCharacterAtTheLastColumnWrapsWhole) {
    CTerm t;
    FillRows(t, 1);
    Feed(t, "\x12\x4f\x00\x82\xa0"s);
    EXPECT_EQ(t.ScreenRow(0)[79].ch, 'a');
    EXPECT_EQ(t.ScreenRow(1)[0].ch, 0x82);
    EXPECT_EQ(t.ScreenRow(1)[1].attr, ATTR_TRAIL);
    EXPECT_EQ(t.m_nCol, 2);
    Feed(t, "\x12\x4e\x05\x82\xa0"s); // columns 78-79 still fit
    EXPECT_EQ(t.ScreenRow(5)[78].attr, ATTR_LEAD);
    EXPECT_EQ(t.m_nRow, 6);
    Feed(t, "\x12\x4f\x18\x82\xa0"s); // the bottom corner scrolls
    EXPECT_EQ(t.m_nHistory, 1);
    EXPECT_EQ(t.ScreenRow(24)[0].ch, 0x82);
}

TEST(Window, ChangedCellsAreInvalidatedInPixels) {
    struct {
        std::string setup, bytes;
        std::vector<CRect> rects;
        int cell = 8; // cell width; the height is twice that
    } cases[] = {
        {"\x12\x03\x02"s, "\x82\xa0", {{24, 32, 40, 48}}},
        {"\x12\x0a\x02"s, "\x1b[K", {{80, 32, 640, 48}}},
        {"\x12\x00\x02"s, "\x1b[1K", {}},
        {"\x12\x0a\x02"s, "\x1b[s\x1b[5C\x1b[u", {}},
        {"\x12\x00\x18"s, "\n", {{0, 0, 640, 400}}},
        {"\x1b[3;10r\x12\x00\x04"s, "\x1b[L", {{0, 64, 640, 160}}},
        {"\x1b[3;10r\x12\x00\x09"s, "\n", {{0, 32, 640, 160}}},
        {"\x12\x01\x01"s, "Z", {{10, 20, 20, 40}}, 10},
    };
    for (auto& c : cases) {
        Viewed t;
        t.m_cxCell = c.cell;
        t.m_cyCell = 2 * c.cell;
        Feed(t, c.setup);
        t.w.Clear();
        Feed(t, c.bytes);
        EXPECT_EQ(t.w.m_rects, c.rects) << c.bytes;
        EXPECT_EQ(t.ClientWidth(), 80 * c.cell);
    }
}

TEST(Window, CaretCommandPostedOncePerMove) {
    const std::pair<std::string, size_t> cases[] = {
        {"ABC", 3},           // every character moves the cursor
        {"\x1b[", 0},         // unfinished sequences move nothing
        {"\x1b[12C", 1},      // one move at the final byte
        {"\x12\x00\x00"s, 0}, // a move to where it already is
        {"\x13\x50X", 1},     // 80 characters in one call
        {"\x1b[1v", 0},       // no focus, so nothing to destroy
    };
    for (auto& [bytes, posts] : cases) {
        Viewed t;
        Feed(t, "\x0d"); // the first announcement after attaching
        t.w.Clear();
        Feed(t, bytes);
        EXPECT_EQ(t.w.m_posted, std::vector<unsigned>(posts, ID_TERM_CARET)) << bytes;
    }
    // With the focus, switching the caret off and on is announced even without a move.
    Viewed t;
    t.m_nCaretState = CARET_SHOWN;
    Feed(t, "\x0d");
    t.w.Clear();
    Feed(t, "\x1b[1v\x1b[v\x1b[1v");
    EXPECT_EQ(t.m_nCaretState, CARET_DESTROY);
    EXPECT_EQ(t.w.m_posted.size(), 3u);
}

TEST(Window, NothingReachesAClosedWindow) {
    CTerm t;
    FakeWnd w;
    w.m_alive = false;
    t.AttachWindow(&w);
    Feed(t, "hello\r\n\x1b[2J\x1b[6n");
    EXPECT_FALSE(t.HasWindow());
    EXPECT_TRUE(w.m_rects.empty() && w.m_posted.empty());
    // A window attached later hears about the cursor with the next byte.
    w.m_alive = true;
    t.AttachWindow(&w);
    Feed(t, "\x1b");
    EXPECT_EQ(w.m_posted, std::vector<unsigned>{ID_TERM_CARET});
}

// Bit 0 of a colour index is red, bit 1 green, bit 2 blue, bit 3 bright; 8 is grey.
TEST(Window, PaletteFollowsTheIndexBits) {
    for (int i = 0; i < 16; ++i) {
        const int bits = i == 8 ? 7 : i & 7;
        const uint32_t level = i == 8 ? 0x80 : i & 8 ? 0xFF : 0xC4;
        EXPECT_EQ(g_termPalette[i], (bits & 1 ? level << 16 : 0) | (bits & 2 ? level << 8 : 0) |
                                        (bits & 4 ? level : 0))
            << i;
    }
}

TEST(InputQueue, DropsBytesWhenFullAndWraps) {
    CTerm t;
    for (int i = 0; i < 1030; ++i)
        t.PutKey(uint8_t(i));
    std::string got = Drain(t);
    ASSERT_EQ(got.size(), 1024u);
    EXPECT_EQ(uint8_t(got[1023]), 1023 & 0xFF);
    for (int i = 0; i < 1023; ++i)
        t.PutKey('k');
    Feed(t, "\x1b[6n"); // an answer meeting a full queue is cut
    EXPECT_EQ(Drain(t), std::string(1023, 'k') + "\x1b");
}

} // namespace
