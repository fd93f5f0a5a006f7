// CP932 (Shift-JIS) text conversion through iconv. The machine only ever sees CP932
// bytes; the host speaks UTF-8 and UTF-16. A byte sequence that does not decode
// becomes one U+FFFD per bad byte; a character that does not encode becomes '?'.
#pragma once

#include <string>
#include <string_view>

std::string Cp932ToUtf8(std::string_view bytes);
std::u16string Cp932ToUtf16(std::string_view bytes);
std::string Utf8ToCp932(std::string_view utf8);
std::string Utf16ToCp932(std::u16string_view utf16);

// True when b starts a double-byte CP932 character.
constexpr bool IsCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
