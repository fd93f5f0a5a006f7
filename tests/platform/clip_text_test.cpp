#include <gtest/gtest.h>

#include <string>

#include "platform/clip_text.h"

namespace {

TEST(ClipText, EveryHostLineEndPastesAsOneCr) {
    using namespace std::literals;
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

} // namespace
