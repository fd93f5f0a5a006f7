// Host clock: steady milliseconds (wrapping at 32 bits) and the local calendar time,
// each behind a replaceable function for tests.
#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <utility>

namespace {

std::function<uint32_t()> g_tickSource;
std::function<HostTime()> g_timeSource;

} // namespace

uint32_t HostTickCount() {
    if (g_tickSource) return g_tickSource();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
}

HostTime HostLocalTime() {
    if (g_timeSource) return g_timeSource();
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    if (!localtime_r(&now, &tm)) return HostTime{1970, 1, 1, 0, 0, 0, 4};
    return HostTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                    tm.tm_min,         tm.tm_sec,     tm.tm_wday};
}

void SetHostTickSource(std::function<uint32_t()> fn) {
    g_tickSource = std::move(fn);
}

void SetHostTimeSource(std::function<HostTime()> fn) {
    g_timeSource = std::move(fn);
}
