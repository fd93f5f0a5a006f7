// Z80 core speed on a flat 64 KB RAM, one Execute call per instruction.
//   Mix: the copy-and-count loop below (1300 instructions, 1842 reads, 266 writes a pass).
//   NopFloor: 15 NOPs and a JR back (16 instructions, 17 reads a pass).
// Reports instructions/s and memory accesses/s; a run whose counters or copied block do
// not come out as the program says is reported as an error.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "z80/simz80.h"

namespace {

class BenchZ80 final : public CSimZ80 {
public:
    uint8_t ReadMem(uint16_t addr) override {
        ++m_nReads;
        return m_ram[addr];
    }
    void WriteMem(uint16_t addr, uint8_t value) override {
        ++m_nWrites;
        m_ram[addr] = value;
    }
    void Load(uint16_t addr, const uint8_t* bytes, size_t n) {
        std::memcpy(m_ram + addr, bytes, n);
    }

    uint8_t m_ram[65536] = {};
    int64_t m_nReads = 0;
    int64_t m_nWrites = 0;
};

// clang-format off
const uint8_t kMix[] = {
    0x31, 0x00, 0x80,       // 1000 START LD SP,$8000
    0xDD, 0x21, 0x00, 0x40, // 1003       LD IX,$4000
    0x21, 0x00, 0x20,       // 1007 OUTER LD HL,$2000
    0x11, 0x00, 0x30,       // 100A       LD DE,$3000
    0x06, 0x00,             // 100D       LD B,0
    0x7E,                   // 100F COPY  LD A,(HL)
    0x12,                   // 1010       LD (DE),A
    0x23,                   // 1011       INC HL
    0x13,                   // 1012       INC DE
    0x10, 0xFA,             // 1013       DJNZ COPY
    0xED, 0xA0,             // 1015       LDI
    0xC6, 0x01,             // 1017       ADD A,1
    0xE6, 0x0F,             // 1019       AND $0F
    0x2A, 0x00, 0x40,       // 101B       LD HL,($4000)
    0x23,                   // 101E       INC HL
    0x22, 0x00, 0x40,       // 101F       LD ($4000),HL
    0x7A,                   // 1022       LD A,D
    0xFE, 0x31,             // 1023       CP $31
    0x20, 0x0E,             // 1025       JR NZ,FAIL
    0xCD, 0x31, 0x10,       // 1027       CALL SUB
    0xC5,                   // 102A       PUSH BC
    0xD5,                   // 102B       PUSH DE
    0xD1,                   // 102C       POP DE
    0xC1,                   // 102D       POP BC
    0xC3, 0x07, 0x10,       // 102E       JP OUTER
    0xDD, 0x34, 0x02,       // 1031 SUB   INC (IX+2)
    0xC9,                   // 1034       RET
    0x18, 0xFE,             // 1035 FAIL  JR FAIL
};
// clang-format on

constexpr int kPassInstructions = 1300;
constexpr int kPassReads = 1842;
constexpr int kPassWrites = 266;

void SetRates(benchmark::State& state, int64_t instructions, int64_t accesses) {
    state.counters["instr/s"] =
        benchmark::Counter(double(instructions), benchmark::Counter::kIsRate);
    state.counters["access/s"] = benchmark::Counter(double(accesses), benchmark::Counter::kIsRate);
}

void Mix(benchmark::State& state) {
    auto z = std::make_unique<BenchZ80>();
    const uint8_t jump[] = {0xC3, 0x00, 0x10};
    z->Load(0x0000, jump, sizeof jump);
    for (int i = 0; i < 256; ++i)
        z->m_ram[0x2000 + i] = uint8_t(i * 7 + 3);
    z->Load(0x1000, kMix, sizeof kMix);
    for (int i = 0; i < 3; ++i) // JP START, LD SP, LD IX: PC now at OUTER
        z->Execute();
    const int64_t reads0 = z->m_nReads, writes0 = z->m_nWrites;

    int64_t passes = 0;
    for (auto _ : state) {
        for (int i = 0; i < kPassInstructions; ++i)
            z->Execute();
        ++passes;
    }

    int64_t reads = z->m_nReads - reads0, writes = z->m_nWrites - writes0;
    uint16_t count = uint16_t(z->m_ram[0x4000] | z->m_ram[0x4001] << 8);
    if (z->m_reg.PC != 0x1007 || reads != passes * kPassReads || writes != passes * kPassWrites ||
        count != uint16_t(passes) || z->m_ram[0x4002] != uint8_t(passes) || z->m_reg.SP != 0x8000 ||
        std::memcmp(z->m_ram + 0x2000, z->m_ram + 0x3000, 256) != 0)
        state.SkipWithError("the mix did not run as programmed");
    SetRates(state, passes * kPassInstructions, reads + writes);
}
BENCHMARK(Mix);

void NopFloor(benchmark::State& state) {
    auto z = std::make_unique<BenchZ80>();
    const uint8_t jr[] = {0x18, 0xEF};
    z->Load(0x100F, jr, sizeof jr);
    z->m_reg.PC = 0x1000;
    int64_t passes = 0;
    for (auto _ : state) {
        for (int i = 0; i < 16; ++i)
            z->Execute();
        ++passes;
    }
    if (z->m_reg.PC != 0x1000 || z->m_nReads != passes * 17 || z->m_nWrites != 0)
        state.SkipWithError("the NOP loop did not run as programmed");
    SetRates(state, passes * 16, z->m_nReads);
}
BENCHMARK(NopFloor);

} // namespace
