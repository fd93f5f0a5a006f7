// A processor on 64 KB of flat RAM that logs every access, for the core's tests.
#pragma once

#include <initializer_list>
#include <memory>

#include "cpu6309/sim09.h"
#include "tests/cpu6309/access_log.h"

inline bool operator==(const REG09& a, const REG09& b) {
    return a.W == b.W && a.D == b.D && a.X == b.X && a.Y == b.Y && a.U == b.U && a.S == b.S &&
           a.V == b.V && a.PC == b.PC && a.CC == b.CC && a.DP == b.DP && a.MD == b.MD &&
           a.ZERO == b.ZERO && a.wait == b.wait && a.signals == b.signals;
}

class CTestCpu : public CSim09 {
public:
    uint8_t ReadByte(uint16_t addr) override {
        m_log.push_back(R(addr, m_mem[addr]));
        return m_mem[addr];
    }
    void WriteByte(uint16_t addr, uint8_t value) override {
        m_log.push_back(W(addr, value));
        m_mem[addr] = value;
    }

    void Poke(uint16_t addr, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes)
            m_mem[addr++] = b;
    }
    void SetVector(uint16_t vector, uint16_t target) {
        Poke(vector, {uint8_t(target >> 8), uint8_t(target)});
    }
    uint16_t Word(uint16_t addr) const {
        return uint16_t(m_mem[addr] << 8 | m_mem[uint16_t(addr + 1)]);
    }

    // Places code at pc, points PC at it, clears the log and executes one instruction.
    void Run(std::initializer_list<uint8_t> code, uint16_t pc = 0x1000) {
        Poke(pc, code);
        m_reg.PC = pc;
        Step();
    }
    void Step() {
        m_log.clear();
        Execute();
    }

    uint8_t m_mem[65536] = {};
    std::vector<Access> m_log;
};

class CpuTest : public ::testing::Test {
protected:
    std::unique_ptr<CTestCpu> m_cpu = std::make_unique<CTestCpu>();
    CTestCpu& cpu = *m_cpu;
    REG09& reg = m_cpu->m_reg;
};
