#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

// With the test sources taken away again, the host's own clock: steady milliseconds in
// wrapping arithmetic, and the calendar year.
TEST(Clock, HostClockOnceTheTestSourcesAreGone) {
    SetHostTickSource([] { return 7u; });
    SetHostTimeSource([] { return HostTime{1999, 12, 31, 23, 59, 58, 5}; });
    SetHostTickSource(nullptr);
    SetHostTimeSource(nullptr);
    const uint32_t a = HostTickCount();
    EXPECT_LT(HostTickCount() - a, 1000u);
    EXPECT_GE(HostLocalTime().year, 2024);
}

} // namespace
