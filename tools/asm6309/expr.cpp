// Recursive-descent evaluation of assembler expressions in 64-bit wrapping arithmetic.
#include "tools/asm6309/expr.h"

#include <cctype>

namespace asm6309 {

bool IsIdentStart(char c) {
    return std::isalpha(uint8_t(c)) || c == '_' || c == '.';
}
bool IsIdentChar(char c) {
    return IsIdentStart(c) || std::isdigit(uint8_t(c));
}

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        c = char(std::toupper(uint8_t(c)));
    return u;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(uint8_t(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(uint8_t(s.back())))
        s.remove_suffix(1);
    return s;
}

namespace {

constexpr int kMaxDepth = 200;

class Parser {
public:
    Parser(std::string_view text, int64_t pc, const SymbolLookup& lookup)
        : m_text(text), m_pc(pc), m_lookup(lookup) {}

    Value Run() {
        Value v = Or();
        Skip();
        if (m_pos < m_text.size())
            throw AsmError{"unexpected '" + std::string(1, m_text[m_pos]) + "' in expression"};
        return v;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    int64_t m_pc;
    const SymbolLookup& m_lookup;
    int m_depth = 0;

    void Skip() {
        while (m_pos < m_text.size() && std::isspace(uint8_t(m_text[m_pos])))
            ++m_pos;
    }
    bool Take(std::string_view op) {
        Skip();
        if (m_text.substr(m_pos, op.size()) != op) return false;
        m_pos += op.size();
        return true;
    }
    char Peek() {
        Skip();
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    char PeekAt(size_t ahead) const {
        return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : '\0';
    }

    static Value Combine(Value a, Value b, int64_t v) { return {v, a.known && b.known}; }
    static int64_t Wrap(uint64_t v) { return int64_t(v); }

    Value Or() {
        Value a = Xor();
        while (Peek() == '|') {
            ++m_pos;
            Value b = Xor();
            a = Combine(a, b, a.v | b.v);
        }
        return a;
    }
    Value Xor() {
        Value a = And();
        while (Peek() == '^') {
            ++m_pos;
            Value b = And();
            a = Combine(a, b, a.v ^ b.v);
        }
        return a;
    }
    Value And() {
        Value a = Shift();
        while (Peek() == '&') {
            ++m_pos;
            Value b = Shift();
            a = Combine(a, b, a.v & b.v);
        }
        return a;
    }
    Value Shift() {
        Value a = Add();
        for (;;) {
            bool left;
            if (Take("<<"))
                left = true;
            else if (Take(">>"))
                left = false;
            else
                return a;
            Value b = Add();
            int64_t r = 0;
            if (b.known && (b.v < 0 || b.v > 63)) throw AsmError{"shift count out of range"};
            if (b.known) r = left ? Wrap(uint64_t(a.v) << b.v) : a.v >> b.v;
            a = Combine(a, b, r);
        }
    }
    Value Add() {
        Value a = Mul();
        for (;;) {
            char c = Peek();
            if (c != '+' && c != '-') return a;
            ++m_pos;
            Value b = Mul();
            a = Combine(a, b,
                        c == '+' ? Wrap(uint64_t(a.v) + uint64_t(b.v))
                                 : Wrap(uint64_t(a.v) - uint64_t(b.v)));
        }
    }
    Value Mul() {
        Value a = Unary();
        for (;;) {
            char c = Peek();
            if (c != '*' && c != '/' && c != '%') return a;
            ++m_pos;
            Value b = Unary();
            int64_t r = 0;
            if (c == '*') {
                r = Wrap(uint64_t(a.v) * uint64_t(b.v));
            } else if (b.known && b.v == 0) {
                if (a.known) throw AsmError{"division by zero"};
            } else if (b.v == -1) {
                r = c == '/' ? Wrap(0 - uint64_t(a.v)) : 0;
            } else if (b.v != 0) {
                r = c == '/' ? a.v / b.v : a.v % b.v;
            }
            a = Combine(a, b, r);
        }
    }
    Value Unary() {
        if (++m_depth > kMaxDepth) throw AsmError{"expression nested too deeply"};
        Value v;
        char c = Peek();
        if (c == '-' || c == '+' || c == '~') {
            ++m_pos;
            v = Unary();
            if (c == '-') v.v = Wrap(0 - uint64_t(v.v));
            if (c == '~') v.v = ~v.v;
        } else if (IsKeyword("HIGH") || IsKeyword("LOW")) {
            bool high = IsKeyword("HIGH");
            m_pos += high ? 4 : 3;
            v = Unary();
            v.v = high ? (v.v >> 8) & 0xFF : v.v & 0xFF;
        } else {
            v = Primary();
        }
        --m_depth;
        return v;
    }
    bool IsKeyword(std::string_view word) {
        Skip();
        if (m_text.size() - m_pos < word.size()) return false;
        if (Upper(m_text.substr(m_pos, word.size())) != word) return false;
        return !IsIdentChar(PeekAt(word.size()));
    }
    Value Number(int base) {
        size_t start = m_pos;
        uint64_t v = 0;
        while (m_pos < m_text.size()) {
            char c = char(std::toupper(uint8_t(m_text[m_pos])));
            int d = std::isdigit(uint8_t(c)) ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 99;
            if (d >= base) break;
            v = v * unsigned(base) + unsigned(d);
            if (v > 0xFFFFFFFFu) throw AsmError{"number too large"};
            ++m_pos;
        }
        if (m_pos == start) throw AsmError{"missing digits in number"};
        if (m_pos < m_text.size() && IsIdentChar(m_text[m_pos]))
            throw AsmError{"bad digit '" + std::string(1, m_text[m_pos]) + "' in number"};
        return {int64_t(v), true};
    }
    Value Primary() {
        char c = Peek();
        if (c == '(') {
            ++m_pos;
            Value v = Or();
            if (!Take(")")) throw AsmError{"missing ')'"};
            return v;
        }
        if (c == '$') {
            ++m_pos;
            return Number(16);
        }
        if (c == '%') {
            ++m_pos;
            return Number(2);
        }
        if (std::isdigit(uint8_t(c))) return Number(10);
        if (c == '*') {
            ++m_pos;
            return {m_pc, true};
        }
        if (c == '\'') {
            if (m_pos + 2 >= m_text.size() || m_text[m_pos + 2] != '\'')
                throw AsmError{"bad character constant"};
            Value v{uint8_t(m_text[m_pos + 1]), true};
            m_pos += 3;
            return v;
        }
        if (IsIdentStart(c)) {
            size_t start = m_pos;
            while (m_pos < m_text.size() && IsIdentChar(m_text[m_pos]))
                ++m_pos;
            std::optional<int64_t> v = m_lookup(m_text.substr(start, m_pos - start));
            return v ? Value{*v, true} : Value{0, false};
        }
        if (c == '\0') throw AsmError{"missing value in expression"};
        throw AsmError{"unexpected '" + std::string(1, c) + "' in expression"};
    }
};

} // namespace

Value Evaluate(std::string_view text, int64_t pc, const SymbolLookup& lookup) {
    return Parser(text, pc, lookup).Run();
}

} // namespace asm6309
