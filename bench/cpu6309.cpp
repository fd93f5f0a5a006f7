// HD6309 core speed: a realistic instruction mix and a NOP/BRA floor on a flat 64 KB
// RAM board that counts its accesses like the real boards do. One Execute call per
// instruction. The mix checks its own results so that a broken core cannot look fast.
#include <benchmark/benchmark.h>

#include <cstring>

#include "cpu6309/sim09.h"

namespace {

class CFlatBoard final : public CSim09 {
public:
    uint8_t ReadByte(uint16_t addr) override {
        m_nReads++;
        return m_mem[addr];
    }
    void WriteByte(uint16_t addr, uint8_t value) override {
        m_nWrites++;
        m_mem[addr] = value;
    }

    // Reset vector $1000; every other vector points at a BRA * at $0F00.
    void Load(const uint8_t* code, size_t size) {
        std::memset(m_mem, 0, sizeof m_mem);
        std::memcpy(m_mem + 0x1000, code, size);
        m_mem[0x0F00] = 0x20;
        m_mem[0x0F01] = 0xFE;
        for (int v = 0xFFF0; v < 0xFFFE; v += 2) {
            m_mem[v] = 0x0F;
            m_mem[v + 1] = 0x00;
        }
        m_mem[0xFFFE] = 0x10;
        m_mem[0xFFFF] = 0x00;
        for (int i = 0; i < 256; i++)
            m_mem[0x2000 + i] = uint8_t((i * 7 + 3) & 0xFF);
        ResetRegisters();
        m_nReads = m_nWrites = 0;
    }

    uint8_t m_mem[65536];
    uint64_t m_nReads = 0;
    uint64_t m_nWrites = 0;
};

// clang-format off
const uint8_t kMix[] = {
    0x10, 0xCE, 0x80, 0x00, // 1000 START LDS  #$8000
    0x8E, 0x20, 0x00,       // 1004 OUTER LDX  #$2000
    0x10, 0x8E, 0x30, 0x00, // 1007       LDY  #$3000
    0x5F,                   // 100B       CLRB
    0xA6, 0x80,             // 100C COPY  LDA  ,X+
    0xA7, 0xA0,             // 100E       STA  ,Y+
    0x5A,                   // 1010       DECB
    0x26, 0xF9,             // 1011       BNE  COPY
    0x8B, 0x01,             // 1013       ADDA #$01
    0xC4, 0x0F,             // 1015       ANDB #$0F
    0xFC, 0x40, 0x00,       // 1017       LDD  $4000
    0xC3, 0x00, 0x01,       // 101A       ADDD #$0001
    0xFD, 0x40, 0x00,       // 101D       STD  $4000
    0x8C, 0x21, 0x00,       // 1020       CMPX #$2100
    0x26, 0x10,             // 1023       BNE  FAIL
    0xBD, 0x10, 0x2F,       // 1025       JSR  SUB
    0x34, 0x16,             // 1028       PSHS A,B,X
    0x35, 0x16,             // 102A       PULS A,B,X
    0x16, 0xFF, 0xD5,       // 102C       LBRA OUTER
    0x7C, 0x40, 0x02,       // 102F SUB   INC  $4002
    0x0C, 0x10,             // 1032       INC  <$10
    0x39,                   // 1034       RTS
    0x20, 0xFE,             // 1035 FAIL  BRA  FAIL
};
// clang-format on

constexpr int kPassInstructions = 1041;
constexpr uint64_t kPassReads = 2100, kPassWrites = 266;

void SetRates(benchmark::State& state, uint64_t instructions, uint64_t accesses) {
    state.counters["instr/s"] =
        benchmark::Counter(double(instructions), benchmark::Counter::kIsRate);
    state.counters["access/s"] = benchmark::Counter(double(accesses), benchmark::Counter::kIsRate);
}

void BM_Mix(benchmark::State& state) {
    static CFlatBoard cpu;
    cpu.Load(kMix, sizeof kMix);
    cpu.Execute(); // LDS
    uint64_t startReads = cpu.m_nReads, startWrites = cpu.m_nWrites;
    uint64_t passes = 0;
    for (auto _ : state) {
        for (int i = 0; i < kPassInstructions; i++)
            cpu.Execute();
        passes++;
    }
    uint64_t reads = cpu.m_nReads - startReads, writes = cpu.m_nWrites - startWrites;
    const uint8_t* m = cpu.m_mem;
    bool ok = cpu.m_reg.PC == 0x1004 && reads == passes * kPassReads &&
              writes == passes * kPassWrites &&
              uint64_t(m[0x4000] << 8 | m[0x4001]) == (passes & 0xFFFF) &&
              m[0x4002] == (passes & 0xFF) && m[0x0010] == (passes & 0xFF) &&
              std::memcmp(m + 0x3000, m + 0x2000, 256) == 0 && m[0x20FF] == ((255 * 7 + 3) & 0xFF);
    if (!ok) state.SkipWithError("the mix program produced wrong results");
    SetRates(state, passes * kPassInstructions, reads + writes);
}
BENCHMARK(BM_Mix);

void BM_NopLoop(benchmark::State& state) {
    static CFlatBoard cpu;
    uint8_t code[17];
    std::memset(code, 0x12, 15);
    code[15] = 0x20; // BRA back to $1000
    code[16] = 0xEF;
    cpu.Load(code, sizeof code);
    constexpr int kLoops = 64, kLoopInstructions = 16;
    uint64_t loops = 0;
    for (auto _ : state) {
        for (int i = 0; i < kLoops * kLoopInstructions; i++)
            cpu.Execute();
        loops += kLoops;
    }
    uint64_t accesses = cpu.m_nReads + cpu.m_nWrites;
    if (cpu.m_reg.PC != 0x1000 || cpu.m_nWrites != 0 || cpu.m_nReads != loops * 17)
        state.SkipWithError("the NOP loop went astray");
    SetRates(state, loops * kLoopInstructions, accesses);
}
BENCHMARK(BM_NopLoop);

} // namespace
