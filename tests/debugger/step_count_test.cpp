// The step count field's rules.
#include <gtest/gtest.h>

#include "debugger/step_count.h"

namespace {

TEST(StepCount, Parse) {
    using E = StepCountError;
    struct {
        const char* text;
        E error;
        int value;
    } cases[] = {{"1", E::None, 1},         {"10000", E::None, 10000},
                 {"  42 ", E::None, 42},    {"+7", E::None, 7},
                 {"0", E::OutOfRange, 0},   {"10001", E::OutOfRange, 0},
                 {"-5", E::OutOfRange, 0},  {"99999999999999999999", E::OutOfRange, 0},
                 {"abc", E::NotInteger, 0}, {"", E::NotInteger, 0},
                 {"-", E::NotInteger, 0},   {"1 2", E::NotInteger, 0},
                 {"0x10", E::NotInteger, 0}};
    for (const auto& c : cases) {
        int value = -1;
        EXPECT_EQ(ParseStepCount(c.text, &value), c.error) << c.text;
        EXPECT_EQ(value, c.error == E::None ? c.value : -1) << c.text;
    }
}

} // namespace
