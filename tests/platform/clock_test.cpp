#include <gtest/gtest.h>

#include <type_traits>

#include "platform/clock.h"
#include "tests/platform/fake_wnd.h"

namespace {

static_assert(!std::is_abstract_v<FakeWnd>, "the fake implements the whole window seam");

TEST(Clock, SourcesAreReplaceableAndRestorable) {
    uint32_t t = 0xFFFFFFF0u;
    SetHostTickSource([&] { return t += 0x20; }); // wraps
    EXPECT_EQ(HostTickCount(), 0x10u);
    SetHostTimeSource([] { return HostTime{1999, 12, 31, 23, 59, 58, 5}; });
    HostTime fixed = HostLocalTime();
    EXPECT_EQ(fixed.year, 1999);
    EXPECT_EQ(fixed.dayOfWeek, 5);

    SetHostTickSource(nullptr);
    SetHostTimeSource(nullptr);
    uint32_t a = HostTickCount();
    uint32_t b = HostTickCount();
    EXPECT_LT(b - a, 1000u); // steady, wrapping arithmetic
    EXPECT_GE(HostLocalTime().year, 2024);
}

} // namespace
