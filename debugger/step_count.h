// The debugger's step count field: a decimal integer from 1 to 10000. Parsing is
// kept apart from the dialog so the rules are tested without a window.
#pragma once

#include <string_view>

enum class StepCountError { None, NotInteger, OutOfRange };

constexpr int kMinStepCount = 1;
constexpr int kMaxStepCount = 10000;

// Leading and trailing blanks are allowed, then an optional sign and decimal digits.
// On None, *count holds the value; otherwise *count is left alone.
StepCountError ParseStepCount(std::string_view text, int* count);

// The messages shown for the two errors (UTF-8).
const char* StepCountMessage(StepCountError error);
