// A Z80 on a flat 64 KB RAM that logs every memory access and port operation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/cpu6309/access_log.h"
#include "z80/simz80.h"

class FlatZ80 : public CSimZ80 {
public:
    uint8_t ReadMem(uint16_t addr) override {
        uint8_t v = m_ram[addr];
        m_log.push_back(R(addr, v));
        return v;
    }
    void WriteMem(uint16_t addr, uint8_t value) override {
        m_log.push_back(W(addr, value));
        m_ram[addr] = value;
    }
    uint8_t InPort(uint8_t port) override {
        m_ins.push_back(port);
        return CSimZ80::InPort(port);
    }
    void OutPort(uint8_t port, uint8_t value) override {
        m_outs.push_back(uint16_t(port << 8 | value));
        CSimZ80::OutPort(port, value);
    }

    void Load(uint16_t addr, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes)
            m_ram[addr++] = b;
    }
    // Loads code at addr, points PC there, clears the log and runs n instructions.
    void Run(uint16_t addr, std::initializer_list<uint8_t> code, int n = 1) {
        Load(addr, code);
        m_reg.PC = addr;
        m_log.clear();
        for (int i = 0; i < n; ++i)
            Execute();
    }

    uint8_t m_ram[65536] = {};
    Log m_log;
    std::vector<uint8_t> m_ins;
    std::vector<uint16_t> m_outs; // port << 8 | value
};

// Flag bytes as letters "SZHPNC" (set) in that order, e.g. "ZHC".
constexpr uint8_t REGZ80::*kFlagBytes[] = {&REGZ80::fS,  &REGZ80::fZ, &REGZ80::fH,
                                           &REGZ80::fPV, &REGZ80::fN, &REGZ80::fC};
inline std::string FlagText(const REGZ80& r) {
    std::string s;
    for (int i = 0; i < 6; i++)
        if (r.*kFlagBytes[i]) s += "SZHPNC"[i];
    return s;
}
inline void SetFlags(REGZ80& r, const std::string& f) {
    for (int i = 0; i < 6; i++)
        r.*kFlagBytes[i] = f.find("SZHPNC"[i]) != std::string::npos;
}

// Every member up to signals, the last; none has padding before it.
inline bool operator==(const REGZ80& a, const REGZ80& b) {
    return std::memcmp(&a, &b, offsetof(REGZ80, signals) + 1) == 0;
}
