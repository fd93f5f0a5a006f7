// The output interpreter, table by table: bytes in, cursor or screen rows out; answers,
// colours, scroll regions and the typed blocks.
#include <gtest/gtest.h>

#include "term_util.h"

namespace {

using namespace std::string_literals;

TEST(Interpreter, CursorMoves) {
    // clang-format off
    const struct {
        const char* name;
        std::string bytes;
        int col, row;
    } cases[] = {
        {"LocateAbandonsCsi", "\x1b[3\x12\x05\x03", 5, 3},
        {"LocateAfterRepeat", "\x13\x02" "A\x12\x05\x03", 5, 3},
        {"EscEqualsClamped", "\x12\x05\x05\x1b=\x10\x10", 0, 0},
        {"DownWraps", "\x12\x00\x18\x1f"s, 0, 0},
        {"UpWraps", "\x1e", 0, 24},
        {"BackspaceAtHome", "\x08", 79, 0},
        {"LeftAndRightWrap", "\x1d\x1c\x1c", 1, 0},
        {"HomeToRegionTop", "\x1b[5r\x12\x05\x08\x0b", 0, 4},
        {"CsiRightModulo256", "\x1b[300C", 44, 0},
        {"CsiBlankSkipped", "\x1b[1 2C", 12, 0},
        {"CsiUpStopsAtRegion", "\x1b[6;20r\x12\x00\x0a\x1b[20A"s, 0, 5},
        {"CsiDownBelowRegion", "\x1b[6;20r\x12\x00\x16\x1b[20B"s, 0, 24},
        {"CsiPosition", "\x1b[5;10H", 9, 4},
        {"CsiPositionF", "\x1b[5;10f", 9, 4},
        {"CsiColumn", "\x1b[12`", 11, 0},
        {"CsiColumnG", "\x1b[12G", 11, 0},
        {"CsiRow", "\x12\x05\x00\x1b[7d"s, 5, 6},
        {"CsiLeft", "\x12\x0a\x00\x1b[3D"s, 7, 0},
        {"CsiNextPrevLine", "\x12\x0a\x05\x1b[3E\x1b[1F", 0, 7},
        {"CsiSFeeds", "\x1b[3S", 0, 3},
        {"BackTab", "\x12\x14\x00\x1b[Z"s, 16, 0},
        {"SaveRestore", "\x12\x05\x03\x1b[s\x12\x00\x00\x1b[u"s, 5, 3},
        {"ReverseFeedAboveRegion", "\x1b[10r\x12\x00\x03\x1b[9T"s, 0, 0},
        {"FeedBelowRegionStops", "\x1b[1;10r\x12\x00\x14\n\n\n\n\n\n"s, 0, 24},
        {"TabAtLastColumn", "\x12\x4f\x00\t"s, 0, 1},
        {"TabPastClearedStop", "\x12\x08\x00\x1b"s "2\r\t", 16, 0},
        {"TabWithoutStops", "\x1b[2g\t", 0, 1},
        {"TabAfterEsc3", "\x1b" "3\t", 0, 1},
        {"TabToSetStop", "\x1b[2g\x12\x05\x00\x1b" "1\r\t"s, 5, 0},
        {"EscStarHomesToRegion", "\x1b[5r\x12\x05\x08\x1b*", 0, 4},
        {"ClearHomesToRegion", "\x1b[5;20r\x12\x05\x08\x0c", 0, 4}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTerm t;
        Feed(t, c.bytes);
        EXPECT_EQ(t.m_nCol, c.col);
        EXPECT_EQ(t.m_nRow, c.row);
        EXPECT_EQ(t.m_nParseState, TS_GROUND);
    }
}

TEST(Interpreter, ScreenText) {
    const std::string A80(80, 'a'), B80(80, 'b'), C80(80, 'c'), D80(80, 'd');
    // clang-format off
    const struct {
        const char* name;
        int filled; // rows filled with 'a', 'b', ... before the bytes
        std::string bytes;
        std::string screen; // the first rows after
    } cases[] = {
        {"Repeat", 0, "\x13\x05" "A", "AAAAA\n"},
        {"RepeatZero", 0, "\x13\x00"s "AB", "B\n"},
        {"AbandonedCsiWritten", 0, "\x1b[?25h", "?25h\n"},
        {"HighByteAbandonsCsi", 0, "\x1b[5{", "{\n"},
        {"BlockWithoutEtx", 0, "\x14\x0e\x00\x01xyA"s, "A\n"},
        {"DoubleByteOffByBlock", 0, "\x14\x0e\x00\x04\x00\x00\x37\x00\x03\x82"s, "\x02\n"},
        {"Csi0J", 3, "\x12\x0a\x01\x1b[J", A80 + "\nbbbbbbbbbb\n\n"},
        {"EscY", 3, "\x12\x0a\x01\x1bY", A80 + "\nbbbbbbbbbb\n\n"},
        {"Csi2K", 1, "\x12\x0a\x00\x1b[2K"s, "\n"},
        {"EraseToLineEnd", 2, "\x12\x0a\x00\x05\x12\x05\x01\x1bT"s, "aaaaaaaaaa\nbbbbb\n"},
        {"BellAndSkipWriteNothing", 0, "\x07\x11XY", "Y\n"},
        {"EscXIgnoresItsByte", 0, "\x1bXYZ", "Z\n"},
        {"ModesIgnored", 0, "\x1b[4hA\x1b[4lB", "AB\n"},
        {"EscE", 2, "\x12\x00\x01\x1b" "E"s, A80 + "\n\n" + B80 + "\n"},
        {"Csi1J", 7, "\x12\x0a\x05\x1b[1J", "\n\n\n\n\n" + std::string(10, ' ') + std::string(70, 'f') + "\n" + std::string(80, 'g') + "\n"},
        {"CsiXAt78", 1, "\x12\x4e\x00\x1b[3X"s, std::string(78, 'a') + "\n"},
        {"CsiInsertChar", 0, "abcd\x12\x01\x00\x1b[2@X"s, "aX bcd\n"},
        {"CsiDeleteChar", 1, "\x12\x05\x00\x1b[2P"s, std::string(78, 'a') + "\n"},
        {"Ctrl15Clears", 2, "\x15", "\n\n"},
        {"Ctrl16Clears", 2, "\x16", "\n\n"},
        {"EscR", 3, "\x12\x00\x01\x1bR"s, A80 + "\n" + C80 + "\n\n"},
        {"CsiDeleteLines", 4, "\x12\x00\x01\x1b[2M"s, A80 + "\n" + D80 + "\n\n"},
        {"CsiLOutsideRegion", 3, "\x1b[3r\x12\x00\x01\x1b[L"s, A80 + "\n" + B80 + "\n"},
        {"RegionScrollsOnly", 5, "\x1b[2;4r\x12\x00\x03\n"s, A80 + "\n" + C80 + "\n" + D80 + "\n\n" + std::string(80, 'e') + "\n"},
        {"ReverseFeedScrollsRegion", 4, "\x1b[2;3r\x12\x00\x01\x1b[T"s, A80 + "\n\n" + B80 + "\n" + D80 + "\n"}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTerm t;
        FillRows(t, c.filled);
        Feed(t, c.bytes);
        EXPECT_EQ(Screen(t, int(std::count(c.screen.begin(), c.screen.end(), '\n'))), c.screen);
    }
}

TEST(Interpreter, AnswersAndScrollRegions) {
    const std::pair<std::string, std::string> answers[] = {
        {"\x12\x0a\x02\x1b?", "\x22\x2a"},     {"\x1b[6n", "\x1b[1;1R"},
        {"\x12\x08\x09\x1b[6n", "\x1b[10;9R"}, {"\x1b[5n", "\x1b[0n"},
        {"\x1b[7n", ""},
    };
    for (auto& [bytes, answer] : answers) {
        CTerm t;
        Feed(t, bytes);
        EXPECT_EQ(Drain(t), answer) << bytes;
    }
    const std::tuple<std::string, int, int> regions[] = {
        {"\x1b[5;5r", 0, 25},  {"\x1b[5r", 4, 25},  {"\x1b[2;30r", 1, 25},
        {"\x1b[;10r", 0, 10}, {"\x1b[30;40r", 0, 25}, {"\x1b[3;8r\x1b[r", 0, 25},
    };
    for (auto& [bytes, top, bottom] : regions) {
        CTerm t;
        Feed(t, "\x12\x05\x05" + bytes);
        EXPECT_EQ(t.m_nScrollTop, top) << bytes;
        EXPECT_EQ(t.m_nScrollBottom, bottom) << bytes;
        EXPECT_EQ(t.m_nCol, 5) << "the cursor does not move";
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
        {"\x1b[31;42;1m\x1b[m", 1, 2, 0},
        {"\x1b[31;42;1m\x1b[0x", 7, 0, 0},
        {"\x1b[2;19x", 3, 0, 0},
        {"\x1b[1;3x", 7, 3, 0},
        {"\x1b[7;21x", 5, 5, ATTR_REVERSE},
        {"\x1b[5;4x", 7, 4, ATTR_REVERSE},
        {"\x1b[31m\x1b[4;5x\x1b[9;5x", 1, 0, 0},
        {"\x1b[44m\x1bG\x2b", 3, 0, ATTR_BLINK | ATTR_BRIGHT},
    };
    for (auto& c : cases) {
        CTerm t;
        Feed(t, c.bytes + "Z");
        const TERMCELL z = t.ScreenRow(0)[0];
        Feed(t, "\x0c"); // erased cells take the current colours too
        for (const TERMCELL& cell : {z, t.ScreenRow(24)[79]}) {
            EXPECT_EQ(cell.fg, c.fg) << c.bytes;
            EXPECT_EQ(cell.bg, c.bg) << c.bytes;
            EXPECT_EQ(cell.attr, c.attr) << c.bytes;
        }
        EXPECT_EQ(z.ch, 'Z');
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
    Feed(t, FKeyBlock(3, "abc", 8) + FKeyBlock(1, "a\0c"s, 8));
    EXPECT_EQ(t.m_strFKey[2], "abc");
    EXPECT_EQ(t.m_strFKey[0], "a") << "the string ends at a zero byte";
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
    EXPECT_EQ(t.ScreenRow(0)[0].attr, ATTR_LEAD);

    const std::pair<std::string, int> caret[] = {
        {"\x14\x0e\x00\x04\x00\x00\x0e\x00\x03"s, CARET_OFF_NOFOCUS},
        {"\x1b[1v\x14\x0f\x00\x04\x00\x00\x0f\x00\x03"s, CARET_NOFOCUS},
        {"\x1b[1v", CARET_OFF_NOFOCUS},
        {"\x1b.5x", CARET_OFF_NOFOCUS},
        {"\x1b.5x\x1b.Ax", CARET_NOFOCUS},
    };
    for (auto& [bytes, state] : caret) {
        CTerm c;
        Feed(c, bytes);
        EXPECT_EQ(c.m_nCaretState, state) << bytes;
    }
}

} // namespace
