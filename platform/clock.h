// Host clock: a wrapping 32-bit millisecond tick count and the local date and time.
// Tests replace both with fixed functions so that runs are deterministic.
#pragma once

#include <cstdint>
#include <functional>

struct HostTime {
    int year, month, day, hour, minute, second, dayOfWeek; // dayOfWeek 0 = Sunday
};

uint32_t HostTickCount();
HostTime HostLocalTime();

// Replace the clock (nullptr restores the host's).
void SetHostTickSource(std::function<uint32_t()> fn);
void SetHostTimeSource(std::function<HostTime()> fn);
