// CP932 conversion through iconv. Each direction keeps one iconv handle per thread.
// Bad input is stepped over one unit at a time, so every call ends and every bad
// byte or character leaves exactly one mark (U+FFFD decoding, '?' encoding).
#include "platform/cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (Ok()) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Convert in to out. At a bad unit, skip(rest, restLen) says how many input bytes
    // to drop; mark is appended in their place. A truncated unit at the end is one mark.
    template <class Skip> std::string Run(std::string_view in, std::string_view mark, Skip skip) {
        std::string out;
        out.resize(in.size() * 2 + 16);
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            size_t dstLeft = out.size() - used;
            size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<size_t>(-1)) break;
            int err = errno;
            if (err == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            out.resize(used);
            out += mark;
            used = out.size();
            out.resize(used + srcLeft * 2 + 16);
            size_t n = err == EILSEQ ? skip(src, srcLeft) : srcLeft;
            n = n == 0 ? 1 : (n > srcLeft ? srcLeft : n);
            src += n;
            srcLeft -= n;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t m_cd;
};

// Length of the well-formed UTF-8 sequence at s, or 1 when it is not one.
size_t Utf8Unit(const char* s, size_t n) {
    auto b = static_cast<unsigned char>(s[0]);
    size_t len = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b <= 0xDF ? 2 : 1;
    if (b > 0xF4 || len > n) return 1;
    for (size_t i = 1; i < len; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 1;
    return len;
}

// Length in bytes of the UTF-16LE unit at s: 4 for a surrogate pair, else 2.
size_t Utf16Unit(const char* s, size_t n) {
    if (n < 4) return 2;
    auto hi = static_cast<unsigned char>(s[1]);
    auto lo = static_cast<unsigned char>(s[3]);
    return (hi & 0xFC) == 0xD8 && (lo & 0xFC) == 0xDC ? 4 : 2;
}

size_t OneByte(const char*, size_t) {
    return 1;
}

Converter& FromCp932ToUtf8() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}
Converter& FromCp932ToUtf16() {
    thread_local Converter c("UTF-16LE", "CP932");
    return c;
}
Converter& FromUtf8ToCp932() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}
Converter& FromUtf16ToCp932() {
    thread_local Converter c("CP932", "UTF-16LE");
    return c;
}

const std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
const std::string_view kUtf16Replacement = "\xFD\xFF"; // U+FFFD, little endian

std::u16string FromUtf16Le(const std::string& bytes) {
    std::u16string s(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return s;
}

std::string ToUtf16Le(std::u16string_view s) {
    std::string bytes(s.size() * 2, '\0');
    for (size_t i = 0; i < s.size(); ++i) {
        bytes[2 * i] = static_cast<char>(s[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(s[i] >> 8);
    }
    return bytes;
}

} // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
    Converter& c = FromCp932ToUtf8();
    if (!c.Ok()) {
        std::string out;
        for (char b : bytes)
            out +=
                static_cast<unsigned char>(b) < 0x80 ? std::string_view(&b, 1) : kUtf8Replacement;
        return out;
    }
    return c.Run(bytes, kUtf8Replacement, OneByte);
}

std::u16string Cp932ToUtf16(std::string_view bytes) {
    Converter& c = FromCp932ToUtf16();
    if (!c.Ok()) {
        std::u16string out;
        for (char b : bytes)
            out += static_cast<unsigned char>(b) < 0x80 ? char16_t(b) : u'\uFFFD';
        return out;
    }
    return FromUtf16Le(c.Run(bytes, kUtf16Replacement, OneByte));
}

std::string Utf8ToCp932(std::string_view utf8) {
    Converter& c = FromUtf8ToCp932();
    if (!c.Ok()) {
        std::string out;
        for (size_t i = 0; i < utf8.size();) {
            size_t n = Utf8Unit(utf8.data() + i, utf8.size() - i);
            out += n == 1 && static_cast<unsigned char>(utf8[i]) < 0x80 ? utf8[i] : '?';
            i += n;
        }
        return out;
    }
    return c.Run(utf8, "?", Utf8Unit);
}

std::string Utf16ToCp932(std::u16string_view utf16) {
    Converter& c = FromUtf16ToCp932();
    if (!c.Ok()) {
        std::string out;
        for (char16_t ch : utf16)
            out += ch < 0x80 ? static_cast<char>(ch) : '?';
        return out;
    }
    return c.Run(ToUtf16Le(utf16), "?", Utf16Unit);
}
