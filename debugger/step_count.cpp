#include "debugger/step_count.h"

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
} // namespace

StepCountError ParseStepCount(std::string_view text, int* count) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    bool negative = false;
    if (b < e && (text[b] == '+' || text[b] == '-')) negative = text[b++] == '-';
    if (b == e) return StepCountError::NotInteger;
    // A whole number too long for an int is still a whole number, just out of range.
    long long value = 0;
    for (size_t i = b; i < e; ++i) {
        if (text[i] < '0' || text[i] > '9') return StepCountError::NotInteger;
        if (value <= kMaxStepCount) value = value * 10 + (text[i] - '0');
    }
    if (negative) value = -value;
    if (value < kMinStepCount || value > kMaxStepCount) return StepCountError::OutOfRange;
    *count = int(value);
    return StepCountError::None;
}

const char* StepCountMessage(StepCountError error) {
    switch (error) {
    case StepCountError::NotInteger: return "整数を入力してください。";
    case StepCountError::OutOfRange: return "1 から 10000 までの整数を入力してください。";
    case StepCountError::None: break;
    }
    return "";
}
