// Expressions of the assembler: numbers ($hex, %binary, decimal, 'c'), symbols, * (the
// statement's address), unary - + ~ HIGH LOW, and the binary operators * / % + - << >> & ^ |
// with C precedence. A value that depends on a symbol not yet known is marked unknown.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace asm6309 {

struct AsmError {
    std::string message;
};

struct Value {
    int64_t v = 0;
    bool known = true;
};

// Returns the symbol's value, nothing when the symbol has no known value yet.
using SymbolLookup = std::function<std::optional<int64_t>(std::string_view name)>;

// Evaluates the whole text; throws AsmError on a syntax error or a division by zero.
Value Evaluate(std::string_view text, int64_t pc, const SymbolLookup& lookup);

bool IsIdentStart(char c);
bool IsIdentChar(char c);
std::string Upper(std::string_view s);
std::string_view Trim(std::string_view s);

} // namespace asm6309
