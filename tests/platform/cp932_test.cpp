#include <gtest/gtest.h>

#include <string>

#include "platform/cp932.h"

namespace {

struct RoundTrip {
    std::string cp932;
    std::string utf8;
    std::u16string utf16;
};

TEST(Cp932, RoundTrips) {
    const RoundTrip cases[] = {
        {"", "", u""},
        {"Hello, 09 ~\\", "Hello, 09 ~\\", u"Hello, 09 ~\\"},
        {std::string("A\0B\r\n", 5), std::string("A\0B\r\n", 5), std::u16string(u"A\0B\r\n", 5)},
        {"\xA1\xB1\xDF", "\xEF\xBD\xA1\xEF\xBD\xB1\xEF\xBE\x9F", u"\uFF61\uFF71\uFF9F"}, // ｡ｱﾟ
        {"\x88\x9F", "\xE4\xBA\x9C", u"\u4E9C"},                                         // 亜
        {"\x82\xA0\x83\x41x", "\xE3\x81\x82\xE3\x82\xA2x", u"\u3042\u30A2x"},            // あア
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
        EXPECT_EQ(Cp932ToUtf16(c.cp932), c.utf16);
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932);
        EXPECT_EQ(Utf16ToCp932(c.utf16), c.cp932);
    }
}

TEST(Cp932, BrokenBytesBecomeOneReplacementEach) {
    struct Case {
        std::string in;
        std::u16string utf16;
        std::string utf8;
    } cases[] = {
        {"\x88", u"\uFFFD", "\uFFFD"}, // lone lead byte at the end
        {"ab\x88", u"ab\uFFFD", "ab\uFFFD"},
        {"\x88\nX", u"\uFFFD\nX", "\uFFFD\nX"}, // lead byte before LF: the LF survives
        {"\x88\x9F\x88", u"\u4E9C\uFFFD", "\u4E9C\uFFFD"},
        {"\x80", u"\uFFFD", "\uFFFD"}, // bytes that start nothing
        {"\xFD\xFE\xFF", u"\uFFFD\uFFFD\uFFFD", "\uFFFD\uFFFD\uFFFD"},
        {"\x81\x7F" "A", u"\uFFFD\x7F" u"A", "\uFFFD\x7F" "A"}, // bad trail byte stays itself
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.in));
        EXPECT_EQ(Cp932ToUtf16(c.in), c.utf16);
        EXPECT_EQ(Cp932ToUtf8(c.in), c.utf8);
    }
}

TEST(Cp932, UnencodableCharactersBecomeQuestionMarks) {
    struct Case {
        std::string utf8;
        std::string out;
    } cases[] = {
        {"a\xE2\x82\xAC" "b", "a?b"},             // euro sign
        {"\xF0\x9F\x98\x80", "?"},             // outside the BMP: one mark, not four
        {"x\xFF\xFEy", "x??y"},                // not UTF-8 at all
        {"\xE4\xBA\x9C\xE4\xBA", "\x88\x9F?"}, // truncated at the end
        {"\xC3\xA9\xE4\xBA\x9C", "?\x88\x9F"}, // é then 亜
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.utf8));
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.out);
    }
    EXPECT_EQ(Utf16ToCp932(u"a\U0001F600b"), "a?b");
    EXPECT_EQ(Utf16ToCp932(std::u16string(u"a\xD800")), "a?"); // lone surrogates
    EXPECT_EQ(Utf16ToCp932(std::u16string(u"\xDC00" u"b")), "?b");
}

} // namespace
