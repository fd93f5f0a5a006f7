// The step count field's rules.
#include <gtest/gtest.h>

#include "debugger/step_count.h"

namespace {

TEST(StepCount, Parse) {
    struct {
        const char* text;
        StepCountError error;
        int value;
    } cases[] = {
        {"1", StepCountError::None, 1},
        {"10000", StepCountError::None, 10000},
        {"  42 ", StepCountError::None, 42},
        {"+7", StepCountError::None, 7},
        {"0010", StepCountError::None, 10},
        {"0", StepCountError::OutOfRange, 0},
        {"10001", StepCountError::OutOfRange, 0},
        {"-5", StepCountError::OutOfRange, 0},
        {"99999999999999999999", StepCountError::OutOfRange, 0},
        {"abc", StepCountError::NotInteger, 0},
        {"", StepCountError::NotInteger, 0},
        {" ", StepCountError::NotInteger, 0},
        {"-", StepCountError::NotInteger, 0},
        {"12a", StepCountError::NotInteger, 0},
        {"1 2", StepCountError::NotInteger, 0},
        {"1.5", StepCountError::NotInteger, 0},
        {"0x10", StepCountError::NotInteger, 0},
    };
    for (const auto& c : cases) {
        int value = -1;
        EXPECT_EQ(ParseStepCount(c.text, &value), c.error) << c.text;
        EXPECT_EQ(value, c.error == StepCountError::None ? c.value : -1) << c.text;
    }
}

TEST(StepCount, Messages) {
    EXPECT_STREQ(StepCountMessage(StepCountError::NotInteger), "整数を入力してください。");
    EXPECT_STREQ(StepCountMessage(StepCountError::OutOfRange),
                 "1 から 10000 までの整数を入力してください。");
}

} // namespace
