// One memory access as the processors' test buses log it, and a debugger page that records
// the trace lines it is given; shared by both cores' tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
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

// Page is the core's trace page interface, Reg its register set.
template <class Page, class Reg> class RecordingPage : public Page {
public:
    void Update(const Reg* reg, const char* line) override {
        m_lines.push_back(line);
        m_pc = reg->PC;
    }
    void UpdateSignals(const Reg*) override {}
    std::vector<std::string> m_lines;
    uint16_t m_pc = 0;
};
