// Hostile programs: random memory and registers, with entries sprinkled in, run without
// a fault (the sanitizer build checks for undefined behaviour) and every Execute makes at
// least one access.
#include <random>

#include "test_cpu.h"

namespace {

class CCountingCpu : public CSim09 {
public:
    uint8_t ReadByte(uint16_t addr) override {
        m_nAccesses++;
        return m_mem[addr];
    }
    void WriteByte(uint16_t addr, uint8_t value) override {
        m_nAccesses++;
        m_mem[addr] = value;
    }
    uint8_t m_mem[65536];
    uint64_t m_nAccesses = 0;
};

TEST(CpuRobustness, RandomProgramsRunToADefinedState) {
    std::mt19937 rng(6309);
    auto cpu = std::make_unique<CCountingCpu>();
    for (int round = 0; round < 20; round++) {
        for (uint8_t& b : cpu->m_mem)
            b = uint8_t(rng());
        REG09& r = cpu->m_reg;
        r.D = uint16_t(rng()), r.W = uint16_t(rng()), r.X = uint16_t(rng());
        r.Y = uint16_t(rng()), r.U = uint16_t(rng()), r.S = uint16_t(rng());
        r.CC = uint8_t(rng()), r.MD = uint8_t(rng() & 0x03), r.DP = uint8_t(rng());
        r.W &= 0x0FFF; // keeps TFM blocks short
        for (int i = 0; i < 20000; i++) {
            unsigned ev = rng() % 64;
            if (ev == 0) cpu->Irq();
            if (ev == 1) cpu->Firq();
            if (ev == 2) cpu->Nmi();
            if (r.wait & WAIT_CWAI && ev > 48) cpu->Irq();
            uint64_t before = cpu->m_nAccesses;
            cpu->Execute();
            ASSERT_GT(cpu->m_nAccesses, before);
        }
    }
}

} // namespace
