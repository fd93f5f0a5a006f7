// The output interpreter, table by table: cursor moves, screen contents, answers,
// colours and the typed blocks.
#include <gtest/gtest.h>

#include "term_util.h"

namespace {

using namespace std::string_literals;

struct CursorCase {
    const char* name;
    std::string bytes;
    int col, row;
};

class CursorMoves : public ::testing::TestWithParam<CursorCase> {};

TEST_P(CursorMoves, EndsAt) {
    CTerm t;
    Feed(t, GetParam().bytes);
    EXPECT_EQ(t.m_nCol, GetParam().col);
    EXPECT_EQ(t.m_nRow, GetParam().row);
    EXPECT_EQ(t.m_nParseState, TS_GROUND);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Interpreter, CursorMoves,
    ::testing::Values(
        CursorCase{"Locate", "\x12\x05\x03", 5, 3},
        CursorCase{"LocateClamped", "\x12\xff\xff", 79, 24},
        CursorCase{"LocateAbandonsCsi", "\x1b[3\x12\x05\x03", 5, 3},
        CursorCase{"LocateAfterRepeat", "\x13\x02" "A\x12\x05\x03", 5, 3},
        CursorCase{"EscEquals", "\x1b=\x23\x25", 5, 3},
        CursorCase{"EscEqualsClamped", "\x12\x05\x05\x1b=\x10\x10", 0, 0},
        CursorCase{"BackspaceAtHome", "\x08", 79, 0},
        CursorCase{"BackspaceWraps", "\x12\x00\x03\x08"s, 79, 2},
        CursorCase{"RightWraps", "\x12\x4f\x03\x1c", 0, 3},
        CursorCase{"LeftWraps", "\x1d", 79, 0},
        CursorCase{"UpWraps", "\x1e", 0, 24},
        CursorCase{"DownWraps", "\x12\x00\x18\x1f"s, 0, 0},
        CursorCase{"HomeToRegionTop", "\x1b[5r\x12\x05\x08\x0b", 0, 4},
        CursorCase{"CsiRightModulo256", "\x1b[300C", 44, 0},
        CursorCase{"CsiRightClamped", "\x1b[100C", 79, 0},
        CursorCase{"CsiBlankSkipped", "\x1b[1 2C", 12, 0},
        CursorCase{"CsiLeftDefault", "\x12\x05\x00\x1b[D"s, 4, 0},
        CursorCase{"CsiUpStopsAtRegion", "\x1b[6;20r\x12\x00\x0a\x1b[20A"s, 0, 5},
        CursorCase{"CsiUpAboveRegion", "\x1b[6;20r\x12\x00\x03\x1b[20A"s, 0, 0},
        CursorCase{"CsiDownStopsAtRegion", "\x1b[6;20r\x12\x00\x0a\x1b[20B"s, 0, 19},
        CursorCase{"CsiDownBelowRegion", "\x1b[6;20r\x12\x00\x16\x1b[20B"s, 0, 24},
        CursorCase{"CsiNextLine", "\x12\x05\x03\x1b[2E", 0, 5},
        CursorCase{"CsiPrevLine", "\x12\x05\x03\x1b[9F", 0, 0},
        CursorCase{"CsiColumn", "\x12\x05\x03\x1b[10G", 9, 3},
        CursorCase{"CsiColumnGrave", "\x12\x05\x03\x1b[`", 0, 3},
        CursorCase{"CsiPosition", "\x1b[5;10H", 9, 4},
        CursorCase{"CsiPositionF", "\x12\x05\x03\x1b[;5f", 4, 0},
        CursorCase{"CsiRow", "\x12\x05\x03\x1b[7d", 5, 6},
        CursorCase{"BackTab", "\x12\x14\x00\x1b[Z"s, 16, 0},
        CursorCase{"BackTabOnStop", "\x12\x10\x00\x1b[5Z"s, 8, 0},
        CursorCase{"BackTabNone", "\x1b" "3\x12\x14\x00\x1b[Z"s, 0, 0},
        CursorCase{"SaveRestore", "\x12\x05\x03\x1b[s\x12\x00\x00\x1b[u"s, 5, 3},
        CursorCase{"ReverseFeed", "\x12\x00\x0a\x1b[3T"s, 0, 7},
        CursorCase{"ReverseFeedAboveRegion", "\x1b[10r\x12\x00\x03\x1b[9T"s, 0, 0},
        CursorCase{"FeedBelowRegionStops", "\x1b[1;10r\x12\x00\x14\n\n\n\n\n\n"s, 0, 24},
        CursorCase{"TabAtLastColumn", "\x12\x4f\x00\t"s, 0, 1},
        CursorCase{"TabNoStops", "\x1b" "3\t", 0, 1},
        CursorCase{"TabClearedByCsiG", "\x1b[2g\t", 0, 1},
        CursorCase{"TabToSetStop", "\x12\x03\x00\x1b"s "1\r\t", 3, 0},
        CursorCase{"TabPastClearedStop", "\x12\x08\x00\x1b"s "2\r\t", 16, 0},
        CursorCase{"ClearHomesToRegion", "\x1b[5;20r\x12\x05\x08\x0c", 0, 4},
        CursorCase{"Csi2JHomesToRow0", "\x1b[5;20r\x12\x05\x08\x1b[2J", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

struct ScreenCase {
    const char* name;
    int filled; // rows filled with 'a', 'b', ... before the bytes
    std::string bytes;
    std::string screen; // the first rows after
};

class ScreenText : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(ScreenText, Shows) {
    CTerm t;
    FillRows(t, GetParam().filled);
    Feed(t, GetParam().bytes);
    int rows = int(std::count(GetParam().screen.begin(), GetParam().screen.end(), '\n'));
    EXPECT_EQ(Screen(t, rows), GetParam().screen);
}

const std::string A80(80, 'a'), B80(80, 'b'), C80(80, 'c'), D80(80, 'd');

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Interpreter, ScreenText,
    ::testing::Values(
        ScreenCase{"Repeat", 0, "\x13\x05" "A", "AAAAA\n"},
        ScreenCase{"RepeatZero", 0, "\x13\x00"s "AB", "B\n"},
        ScreenCase{"SkipSwallows", 0, "\x11XY", "Y\n"},
        ScreenCase{"AbandonedCsiWritten", 0, "\x1b[?25h", "?25h\n"},
        ScreenCase{"HighByteAbandonsCsi", 0, "\x1b[5{", "{\n"},
        ScreenCase{"EscUnknownEnds", 0, "\x1bqA", "A\n"},
        ScreenCase{"EscXIgnoresOne", 0, "\x1bXyZ", "Z\n"},
        ScreenCase{"EscDotTakesTwo", 0, "\x1b.12Z", "Z\n"},
        ScreenCase{"BlockUnknownType", 0, "\x14ZA", "A\n"},
        ScreenCase{"BlockWithoutEtx", 0, "\x14\x0e\x00\x01xyA"s, "A\n"},
        ScreenCase{"Tab", 0, "a\tb", "a" + std::string(7, ' ') + "b\n"},
        ScreenCase{"LeadThenReturn", 0, "ab\x82\rX", "Xb\n"},
        ScreenCase{"LeadThenBadTrail", 0, "\x82\x7f", "\x7f\n"},
        ScreenCase{"ControlCodesShown", 0, "\x01\x0e", "\x01\x0e\n"},
        ScreenCase{"DoubleByteOffByK", 0, "\x14K\x00\x82"s, "\x02\n"},
        ScreenCase{"DoubleByteOffByBlock", 0, "\x14\x0e\x00\x04\x00\x00\x37\x00\x03\x82"s, "\x02\n"},
        ScreenCase{"EraseLine05", 1, "\x12\x0a\x00\x05"s, "aaaaaaaaaa\n"},
        ScreenCase{"EraseLineEscT", 1, "\x12\x0a\x00\x1bT"s, "aaaaaaaaaa\n"},
        ScreenCase{"EraseEscY", 3, "\x12\x0a\x01\x1bY", A80 + "\nbbbbbbbbbb\n\n"},
        ScreenCase{"Csi0J", 3, "\x12\x0a\x01\x1b[J", A80 + "\nbbbbbbbbbb\n\n"},
        ScreenCase{"Csi1J", 7, "\x12\x0a\x05\x1b[1J", "\n\n\n\n\n" + std::string(10, ' ') + std::string(70, 'f') + "\n" + std::string(80, 'g') + "\n"},
        ScreenCase{"Csi9JNothing", 1, "\x1b[9J", A80 + "\n"},
        ScreenCase{"Csi1K", 1, "\x12\x0a\x00\x1b[1K"s, std::string(10, ' ') + std::string(70, 'a') + "\n"},
        ScreenCase{"Csi2K", 2, "\x12\x0a\x00\x1b[2K"s, "\n" + B80 + "\n"},
        ScreenCase{"CsiXAt78", 1, "\x12\x4e\x00\x1b[3X"s, std::string(78, 'a') + "\n"},
        ScreenCase{"CsiInsertChar", 0, "abcd\x12\x01\x00\x1b[2@X"s, "aX bcd\n"},
        ScreenCase{"CsiDeleteChar", 0, "abcdef\x12\x01\x00\x1b[2P"s, "adef\n"},
        ScreenCase{"EscEInsertsLine", 3, "\x12\x00\x01\x1b"s "E", A80 + "\n\n" + B80 + "\n" + C80 + "\n"},
        ScreenCase{"EscRDeletesLine", 3, "\x12\x00\x01\x1bR"s, A80 + "\n" + C80 + "\n\n"},
        ScreenCase{"CsiInsertLines", 3, "\x12\x00\x01\x1b[2L"s, A80 + "\n\n\n" + B80 + "\n"},
        ScreenCase{"CsiDeleteLines", 4, "\x12\x00\x01\x1b[2M"s, A80 + "\n" + D80 + "\n\n"},
        ScreenCase{"CsiLOutsideRegion", 3, "\x1b[3r\x12\x00\x01\x1b[L"s, A80 + "\n" + B80 + "\n"},
        ScreenCase{"RegionScrollsOnly", 5, "\x1b[2;4r\x12\x00\x03\n"s, A80 + "\n" + C80 + "\n" + D80 + "\n\n" + std::string(80, 'e') + "\n"},
        ScreenCase{"ReverseFeedScrollsRegion", 4, "\x1b[2;3r\x12\x00\x01\x1b[T"s, A80 + "\n\n" + B80 + "\n" + D80 + "\n"},
        ScreenCase{"FormFeedClearsAll", 3, "\x1b[2;3r\x0c", "\n\n\n"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(Interpreter, DoubleByteCharacterTakesTwoCells) {
    CTerm t;
    Feed(t, "\x82\xa0");
    const TERMCELL* r = t.ScreenRow(0);
    EXPECT_EQ(r[0].ch, 0x82);
    EXPECT_EQ(r[0].attr, ATTR_LEAD);
    EXPECT_EQ(r[1].ch, 0xA0);
    EXPECT_EQ(r[1].attr, ATTR_TRAIL);
    EXPECT_EQ(t.m_nCol, 2);
    // 0xF0-0xFC are no lead bytes here.
    Feed(t, "\xf0");
    EXPECT_EQ(t.ScreenRow(0)[2].ch, 0xF0);
}

TEST(Interpreter, Answers) {
    struct {
        std::string bytes, answer;
    } cases[] = {
        {"\x12\x0a\x02\x1b?", "\x22\x2a"},
        {"\x1b[6n", "\x1b[1;1R"},
        {"\x12\xff\xff\x1b[6n", "\x1b[25;80R"},
        {"\x12\x08\x09\x1b[6n", "\x1b[10;9R"},
        {"\x1b[5n", "\x1b[0n"},
        {"\x1b[7n", ""},
    };
    for (auto& c : cases) {
        CTerm t;
        Feed(t, c.bytes);
        EXPECT_EQ(Drain(t), c.answer) << c.bytes;
    }
}

TEST(Interpreter, ColoursAndAttributes) {
    struct {
        std::string bytes;
        int fg, bg, attr;
    } cases[] = {
        {"\x1b[1;4;5;7;8m", 7, 0,
         ATTR_BRIGHT | ATTR_UNDER | ATTR_BLINK | ATTR_REVERSE | ATTR_SECRET},
        {"\x1b[6;38;99m", 7, 0, ATTR_UNDER},
        {"\x1b[31;42m", 1, 2, 0},
        {"\x1b[31;42;1m\x1b[m", 1, 2, 0},
        {"\x1b[31;42;1m\x1b[0x", 7, 0, 0},
        {"\x1b[1;3x", 7, 3, 0},
        {"\x1b[2;19x", 3, 0, 0},
        {"\x1b[3;5x", 5, 5, 0},
        {"\x1b[5;4x", 7, 4, ATTR_REVERSE},
        {"\x1b[6;4x", 4, 0, ATTR_REVERSE},
        {"\x1b[7;6x", 6, 6, ATTR_REVERSE},
        {"\x1b[31m\x1b[4;5x\x1b[9;5x", 1, 0, 0},
        {"\x1b[44m\x1bG\x2b", 3, 0, ATTR_BLINK | ATTR_BRIGHT},
    };
    for (auto& c : cases) {
        CTerm t;
        Feed(t, c.bytes + "Z");
        const TERMCELL& z = t.ScreenRow(0)[0];
        EXPECT_EQ(z.ch, 'Z') << c.bytes;
        EXPECT_EQ(z.fg, c.fg) << c.bytes;
        EXPECT_EQ(z.bg, c.bg) << c.bytes;
        EXPECT_EQ(z.attr, c.attr) << c.bytes;
    }
}

TEST(Interpreter, ErasedCellsTakeCurrentColours) {
    CTerm t;
    Feed(t, "\x1b[33;44;4m\x0c");
    const TERMCELL& c = t.ScreenRow(24)[79];
    EXPECT_EQ(c.fg, 3);
    EXPECT_EQ(c.bg, 4);
    EXPECT_EQ(c.attr, ATTR_UNDER);
    EXPECT_EQ(c.ch, 0);
}

TEST(Interpreter, ScrollRegionParameters) {
    struct {
        std::string bytes;
        int top, bottom;
    } cases[] = {
        {"\x1b[5;5r", 0, 25},  {"\x1b[5r", 4, 25},         {"\x1b[2;30r", 1, 25},
        {"\x1b[3;10r", 2, 10}, {"\x1b[;10r", 0, 10},       {"\x1b[30;40r", 0, 25},
        {"\x1b[r", 0, 25},     {"\x1b[3;8r\x1b[r", 0, 25},
    };
    for (auto& c : cases) {
        CTerm t;
        Feed(t, "\x12\x05\x05" + c.bytes);
        EXPECT_EQ(t.m_nScrollTop, c.top) << c.bytes;
        EXPECT_EQ(t.m_nScrollBottom, c.bottom) << c.bytes;
        EXPECT_EQ(t.m_nCol, 5) << "the cursor does not move";
    }
}

// A function-key block whose data (cut or padded to len bytes) ends with ETX.
std::string FKeyBlock(int key, std::string s, int len) {
    std::string data = "\0\0\x2a"s + char(key) + char(s.size()) + s;
    data.resize(len);
    return "\x14\x0e\x00"s + char(len) + data + "\x03";
}

TEST(Interpreter, TypedBlocks) {
    CTerm t;
    Feed(t, "\x14\x0e"
            "x\x08\x00\x00\x2a\x03\x03"s
            "abc\x03");
    EXPECT_EQ(t.m_strFKey[2], "abc");
    Feed(t, FKeyBlock(1, "a\0c"s, 8));
    EXPECT_EQ(t.m_strFKey[0], "a") << "the string ends at a zero byte";
    Feed(t, FKeyBlock(3, "", 5));
    EXPECT_EQ(t.m_strFKey[2], "");

    // Key 10, a length of 16 or a block too short for its string change nothing.
    Feed(t,
         FKeyBlock(10, "zz", 7) + FKeyBlock(2, std::string(16, 'q'), 21) + FKeyBlock(1, "zz", 6));
    EXPECT_EQ(t.m_strFKey[0], "a");
    EXPECT_EQ(t.m_strFKey[1], "");
    EXPECT_EQ(t.m_strFKey[9], "");
    EXPECT_EQ(t.m_nParseState, TS_GROUND);
    EXPECT_EQ(t.m_nCol, 0) << "blocks write nothing";

    // A block without room for its command does not take one from older bytes.
    Feed(t, "\x1b[1;1;1;1;1;55;0m\x14\x0e\x00\x00\x03\x82\xa0"s);
    EXPECT_EQ(t.m_bDoubleByte, 1);
    EXPECT_EQ(t.ScreenRow(0)[0].attr, ATTR_LEAD);
}

TEST(Interpreter, CursorSwitches) {
    struct {
        std::string bytes;
        int state;
    } cases[] = {
        {"\x14\x0e\x00\x04\x00\x00\x0e\x00\x03"s, CARET_OFF_NOFOCUS},
        {"\x14\x0e\x00\x04\x00\x00\x0e\x01\x03"s, CARET_NOFOCUS},
        {"\x1b[1v\x14\x0f\x00\x04\x00\x00\x0f\x00\x03"s, CARET_NOFOCUS},
        {"\x1b[1v", CARET_OFF_NOFOCUS},
        {"\x1b[1v\x1b[v", CARET_NOFOCUS},
        {"\x1b.5x", CARET_OFF_NOFOCUS},
        {"\x1b.5x\x1b.Ax", CARET_NOFOCUS},
    };
    for (auto& c : cases) {
        CTerm t;
        Feed(t, c.bytes);
        EXPECT_EQ(t.m_nCaretState, c.state) << c.bytes;
    }
}

TEST(Interpreter, BellCallsTheHostBeep) {
    int beeps = 0;
    SetTermBeep([&] { ++beeps; });
    CTerm t;
    Feed(t, "\x07\x07");
    SetTermBeep(nullptr);
    Feed(t, "\x07");
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(t.m_nCol, 0);
}

} // namespace
