// The model around the interpreter: history and scroll-back, double-byte characters at
// the edge, what reaches the window (rectangles, caret commands), and the input queue.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "fake_wnd.h"
#include "term_util.h"

namespace {

using namespace std::string_literals;

void WriteLines(CTerm& t, int first, int count) {
    char line[16];
    for (int i = first; i < first + count; ++i) {
        std::snprintf(line, sizeof line, "%04d\r\n", i);
        Feed(t, line);
    }
}

TEST(History, KeepsAtMost999LinesAndOverwritesTheOldest) {
    CTerm t;
    WriteLines(t, 0, 24 + 999); // exactly 999 scrolls
    EXPECT_EQ(t.m_nHistory, 999);
    EXPECT_EQ(t.SetScrollBack(999), 999);
    EXPECT_EQ(RowText(t.ViewRow(0)), "0000");

    WriteLines(t, 1023, 77); // 1076 scrolls in all
    EXPECT_EQ(t.m_nHistory, 999);
    EXPECT_EQ(Row(t, 0), "1076");
    EXPECT_EQ(Row(t, 23), "1099");
    EXPECT_EQ(Row(t, 24), "");
    EXPECT_EQ(t.SetScrollBack(5000), 999);
    EXPECT_EQ(RowText(t.ViewRow(0)), "0077");
    EXPECT_EQ(RowText(t.ViewRow(24)), "0101");
    t.SetScrollBack(1);
    EXPECT_EQ(RowText(t.ViewRow(0)), "1075");
    EXPECT_EQ(RowText(t.ViewRow(1)), "1076");
}

TEST(History, GrowsOnlyWhenTheRegionIsTheWholeScreen) {
    CTerm t;
    Feed(t, "\x1b[5;20r\x12\x00\x13\n\n\n"s);
    EXPECT_EQ(t.m_nHistory, 0);
    EXPECT_EQ(t.m_nTopLine, 0);
    // Deleting lines at the top of the whole screen feeds the history.
    Feed(t, "\x1b[r\x12\x00\x00\x1b[3M"s);
    EXPECT_EQ(t.m_nHistory, 3);
}

TEST(History, WriteReturnsTheViewToTheLiveScreen) {
    CTerm t;
    FakeWnd w;
    t.AttachWindow(&w);
    WriteLines(t, 0, 34); // 10 lines of history
    EXPECT_EQ(t.SetScrollBack(25), 10) << "page up stops at the oldest line";
    EXPECT_EQ(RowText(t.ViewRow(0)), "0000");
    t.m_bCaretHidden = 1;
    w.Clear();
    Feed(t, "\x1b"); // no cursor move, no cell change
    EXPECT_TRUE(t.IsLive());
    EXPECT_EQ(t.m_bCaretHidden, 0);
    ASSERT_EQ(w.rects.size(), 1u);
    EXPECT_EQ(w.rects[0], (CRect{0, 0, 640, 400}));
    EXPECT_EQ(w.posted, std::vector<unsigned>{ID_TERM_CARET}) << "the caret is shown again";
}

TEST(History, ScrolledBackViewKeepsItsLines) {
    CTerm t;
    WriteLines(t, 0, 30);
    t.SetScrollBack(3);
    const std::string top = RowText(t.ViewRow(0));
    t.ScrollUp(0, 25);
    EXPECT_EQ(t.ScrollBack(), 4);
    EXPECT_EQ(RowText(t.ViewRow(0)), top);
}

TEST(Screen, DoubleByteCharacterAtTheLastColumnWrapsWhole) {
    CTerm t;
    FillRows(t, 1);
    Feed(t, "\x12\x4f\x00\x82\xa0"s);
    EXPECT_EQ(t.ScreenRow(0)[79].ch, 'a');
    EXPECT_EQ(t.ScreenRow(0)[79].attr, 0);
    EXPECT_EQ(t.ScreenRow(1)[0].ch, 0x82);
    EXPECT_EQ(t.ScreenRow(1)[1].attr, ATTR_TRAIL);
    EXPECT_EQ(t.m_nCol, 2);
    EXPECT_EQ(t.m_nRow, 1);

    Feed(t, "\x12\x4e\x05\x82\xa0"s); // columns 78-79 still fit
    EXPECT_EQ(t.ScreenRow(5)[78].attr, ATTR_LEAD);
    EXPECT_EQ(t.m_nCol, 0);
    EXPECT_EQ(t.m_nRow, 6);
}

TEST(Screen, DoubleByteCharacterAtTheBottomCornerScrolls) {
    CTerm t;
    Feed(t, "\x12\x4f\x18\x82\xa0"s);
    EXPECT_EQ(t.m_nHistory, 1);
    EXPECT_EQ(t.ScreenRow(24)[0].ch, 0x82);
    EXPECT_EQ(t.m_nRow, 24);
}

TEST(Window, ChangedCellsAreInvalidatedInPixels) {
    struct {
        std::string setup, bytes;
        std::vector<CRect> rects;
    } cases[] = {
        {"\x12\x03\x02"s, "A", {{24, 32, 32, 48}}},
        {"\x12\x03\x02"s, "\x82\xa0", {{24, 32, 40, 48}}},
        {"\x12\x0a\x02"s, "\x1b[K", {{80, 32, 640, 48}}},
        {"\x12\x00\x02"s, "\x1b[1K", {}},
        {"\x12\x0a\x02"s, "\x1b[s\x1b[5C\x1b[u", {}},
        {"\x12\x0a\x02"s, "\x1b[@", {{80, 32, 640, 48}}},
        {"\x12\x00\x18"s, "\n", {{0, 0, 640, 400}}},
        {"\x1b[3;10r\x12\x00\x04"s, "\x1b[L", {{0, 64, 640, 160}}},
        {"\x1b[3;10r\x12\x00\x09"s, "\n", {{0, 32, 640, 160}}},
        {"\x12\x00\x03"s,
         "\x1b"
         "E",
         {{0, 48, 640, 400}}},
    };
    for (auto& c : cases) {
        CTerm t;
        FakeWnd w;
        t.AttachWindow(&w);
        Feed(t, c.setup);
        w.Clear();
        Feed(t, c.bytes);
        EXPECT_EQ(w.rects, c.rects) << c.bytes;
    }
}

TEST(Window, RectanglesFollowTheCellSize) {
    CTerm t;
    FakeWnd w;
    t.AttachWindow(&w);
    t.m_cxCell = 10;
    t.m_cyCell = 20;
    Feed(t, "\x12\x01\x01Z"s);
    EXPECT_EQ(w.rects, std::vector<CRect>{(CRect{10, 20, 20, 40})});
    EXPECT_EQ(t.ClientWidth(), 800);
    EXPECT_EQ(t.ClientHeight(), 500);
}

TEST(Window, CaretCommandPostedOncePerMove) {
    struct {
        std::string bytes;
        size_t posts;
    } cases[] = {
        {"ABC", 3},           // every character moves the cursor
        {"\x1b[", 0},         // unfinished sequences move nothing
        {"\x1b[12C", 1},      // one move at the final byte
        {"\x1b[s\x1b[0m", 0}, // no move
        {"\x12\x00\x00"s, 0}, // a move to where it already is
        {"\x13\x50X", 1},     // 80 characters in one call
        {"\x1b[1v", 0},       // no focus, so nothing to destroy
    };
    for (auto& c : cases) {
        CTerm t;
        FakeWnd w;
        t.AttachWindow(&w);
        Feed(t, "\x0d"); // the first announcement after attaching
        w.Clear();
        Feed(t, c.bytes);
        EXPECT_EQ(w.posted.size(), c.posts) << c.bytes;
        for (unsigned id : w.posted)
            EXPECT_EQ(id, unsigned(ID_TERM_CARET));
    }
}

TEST(Window, CaretOperationsForceTheAnnouncement) {
    CTerm t;
    FakeWnd w;
    t.AttachWindow(&w);
    t.m_nCaretState = CARET_SHOWN; // as the window's focus handling leaves it
    Feed(t, "\x0d");
    w.Clear();
    Feed(t, "\x1b[1v");
    EXPECT_EQ(t.m_nCaretState, CARET_DESTROY);
    EXPECT_EQ(w.posted.size(), 1u);
    Feed(t, "\x1b[v");
    EXPECT_EQ(t.m_nCaretState, CARET_CREATE);
    EXPECT_EQ(w.posted.size(), 2u);
}

TEST(Window, CaretStates) {
    // state before -> after CursorOff, after CursorOn
    const int off[6] = {CARET_OFF_NOFOCUS, CARET_DESTROY, CARET_OFF_NOFOCUS,
                        CARET_OFF,         CARET_DESTROY, CARET_DESTROY};
    const int on[6] = {CARET_NOFOCUS, CARET_SHOWN,  CARET_NOFOCUS,
                       CARET_CREATE,  CARET_CREATE, CARET_CREATE};
    for (int s = 0; s < 6; ++s) {
        CTerm t;
        t.m_nPostCol = 0;
        t.m_nCaretState = s;
        t.CursorOff();
        EXPECT_EQ(t.m_nCaretState, off[s]) << s;
        EXPECT_EQ(t.m_nPostCol == -1, off[s] == CARET_DESTROY && s != CARET_DESTROY) << s;
        t.m_nCaretState = s;
        t.CursorOn();
        EXPECT_EQ(t.m_nCaretState, on[s]) << s;
    }
}

TEST(Window, NothingReachesAClosedOrMissingWindow) {
    CTerm t;
    FakeWnd w;
    w.alive = false;
    t.AttachWindow(&w);
    Feed(t, "hello\r\n\x1b[2J\x1b[6n");
    EXPECT_FALSE(t.HasWindow());
    EXPECT_TRUE(w.rects.empty());
    EXPECT_TRUE(w.posted.empty());
    t.DetachWindow();
    Feed(t, "abc");
    EXPECT_EQ(Row(t, 0), "abc");

    // A window attached later hears about the cursor with the next byte.
    w.alive = true;
    t.AttachWindow(&w);
    EXPECT_EQ(t.m_bInput, 1);
    Feed(t, "\x1b");
    EXPECT_EQ(w.posted, std::vector<unsigned>{ID_TERM_CARET});
}

TEST(InputQueue, DropsBytesWhenFullAndWraps) {
    CTerm t;
    for (int i = 0; i < 1030; ++i)
        t.PutKey(uint8_t(i));
    EXPECT_EQ(t.m_nInCount, 1024);
    EXPECT_EQ(t.m_bInput, 1);
    std::string got = Drain(t);
    ASSERT_EQ(got.size(), 1024u);
    EXPECT_EQ(uint8_t(got[1023]), 1023 & 0xFF);
    t.PutKey('x');
    t.PutKey('y');
    EXPECT_EQ(t.m_nInWrite, 2);
    EXPECT_EQ(Drain(t), "xy");
}

TEST(InputQueue, AnswersMeetingAFullQueueAreLost) {
    CTerm t;
    for (int i = 0; i < 1023; ++i)
        t.PutKey('k');
    Feed(t, "\x1b[6n");
    EXPECT_EQ(t.m_nInCount, 1024);
    EXPECT_EQ(Drain(t).back(), '\x1b');
}

TEST(Robustness, RandomBytesKeepTheModelConsistent) {
    std::mt19937 rng(12345);
    CTerm t;
    FakeWnd w;
    t.AttachWindow(&w);
    for (int i = 0; i < 200000; ++i) {
        // Mostly control bytes and sequence characters, where the states are.
        uint8_t b =
            uint8_t(rng() % 3 ? "\x1b[;0123456789\x12\x13\x14\x0e\x03\x0a\x82"[rng() % 19] : rng());
        t.Write(b);
        ASSERT_TRUE(t.m_nCol >= 0 && t.m_nCol < 80 && t.m_nRow >= 0 && t.m_nRow < 25) << i;
        ASSERT_TRUE(t.m_nScrollTop < t.m_nScrollBottom && t.m_nScrollBottom <= 25) << i;
        ASSERT_TRUE(t.m_nInCount >= 0 && t.m_nInCount <= 1024);
        if (w.rects.size() > 1000) w.Clear();
    }
    for (const CRect& rc : w.rects)
        EXPECT_TRUE(rc.left >= 0 && rc.right <= 640 && rc.top >= 0 && rc.bottom <= 400);
}

} // namespace
