#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clip_text.h"

namespace {

using namespace std::literals;

TEST(ClipText, EveryHostLineEndPastesAsOneCr) {
    const std::pair<std::string, std::string> cases[] = {
        {"L 100\nG 100\n", "L 100\rG 100\r"},
        {"a\r\nb\rc\nd", "a\rb\rc\rd"},
        {"\n\r\n\r", "\r\r\r"},
        {"\r\r\n\n\r", "\r\r\r\r"},             // CR, CR LF, LF, CR
        {"x\0\ny"s, "x"},                       // a zero byte ends the text
        {"\x82\xA0\r\n\x1B", "\x82\xA0\r\x1B"}, // other bytes as they are
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(PastedBytes(in), out) << testing::PrintToString(in);
}

// Cells s..e of a screen 10 columns wide, its rows blank past the texts given.
TEST(ClipText, SelectionTrimsAndJoinsTheRows) {
    const struct {
        int s, e;
        std::vector<std::string> rows;
        std::string text;
    } cases[] = {
        // Trailing blanks trimmed; later rows lose blanks left of the start column only.
        {3, 25, {"012a b   ", "  cd", "     efgh"}, "a b\ncd\n  e"},
        // A row reaching the last column runs on; a blank row gives an empty line.
        {6, 31, {"      ABCD", "EF", "", "GHI"}, "ABCDEF\n\nGH"},
        {1, 1, {"ABC"}, "B"},
        {20, 25, {}, ""},
        {0, 29, {"AAAAAAAAA", "BBBBBBBBB", "CCCCCCCCC"}, "AAAAAAAAA\nBBBBBBBBB\nCCCCCCCCC"},
        // NUL shows as a blank, control and kanji bytes are copied, trailing NUL trimmed.
        {0, 9, {"A\0\x1B\x82\xA0\0"s}, "A \x1B\x82\xA0"},
    };
    for (const auto& c : cases) {
        const auto byteAt = [&](int r, int col) {
            return r < int(c.rows.size()) && col < int(c.rows[r].size()) ? c.rows[r][col] : ' ';
        };
        EXPECT_EQ(SelectionText(10, c.s, c.e, byteAt), c.text) << c.s << ".." << c.e;
    }
}

} // namespace
