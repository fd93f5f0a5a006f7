// One memory access as the processors' test buses log it, shared by both cores' tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <vector>

struct Access {
    uint16_t addr;
    char kind; // 'R' or 'W'
    uint8_t value;
    bool operator==(const Access&) const = default;
};
using Log = std::vector<Access>;

inline std::ostream& operator<<(std::ostream& os, const Access& a) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%c %04X=%02X", a.kind, a.addr, a.value);
    return os << buf;
}

inline Access R(uint16_t addr, uint8_t value) {
    return {addr, 'R', value};
}
inline Access W(uint16_t addr, uint8_t value) {
    return {addr, 'W', value};
}
