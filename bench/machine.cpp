// Whole machine: both boards linked as the view links them, stepping in lock-step
// (one main-board step, one display-board step) in batches of 2000 pairs, as the idle
// loop runs them. The main processor runs a loop in RAM; the display processor either
// idles in its handshake wait (woken only by its periodic NMI) or runs a loop of its
// own. Reports step pairs and memory accesses (both boards) per second.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "display/sub_cpu.h"
#include "mainboard/main_cpu.h"

namespace {

constexpr int kBatch = 2000;

struct Machine {
    explicit Machine(bool displayBusy) {
        boot.fill(0x12);
        for (int v = 0xFF0; v < 0x1000; v += 2) { // every vector to the RAM loop
            boot[v] = 0x10;
            boot[v + 1] = 0x00;
        }
        // clang-format off
        Put(main.m_ram, 0x1000, {
            0x8E, 0x20, 0x00, // 1000 LDX  #$2000
            0xA6, 0x84,       // 1003 LDA  ,X
            0x8B, 0x01,       // 1005 ADDA #1
            0xA7, 0x80,       // 1007 STA  ,X+
            0x8C, 0x21, 0x00, // 1009 CMPX #$2100
            0x26, 0xF5,       // 100C BNE  $1003
            0x20, 0xF0,       // 100E BRA  $1000
        });
        display.fill(0x12);
        if (displayBusy) {
            Put(display.data(), 0, {
                0x10, 0xCE, 0x9F, 0x00, // B000 LDS  #$9F00
                0x8E, 0x90, 0x00,       // B004 LDX  #$9000
                0xA6, 0x84,             // B007 LDA  ,X
                0x8B, 0x01,             // B009 ADDA #1
                0xA7, 0x80,             // B00B STA  ,X+
                0x8C, 0x91, 0x00,       // B00D CMPX #$9100
                0x26, 0xF5,             // B010 BNE  $B007
                0x20, 0xF0,             // B012 BRA  $B004
            });
        } else {
            Put(display.data(), 0, {
                0x10, 0xCE, 0x9F, 0x00, // B000 LDS  #$9F00
                0x86, 0x01,             // B004 LDA  #$01
                0xB7, 0xAF, 0xE0,       // B006 STA  $AFE0    ready: halts here
                0x20, 0xF9,             // B009 BRA  $B004    after each NMI
            });
            Put(display.data(), 0x10, {
                0x3B,                   // B010 RTI          NMI
            });
        }
        // clang-format on
        for (int v = 0x4FF0; v < 0x5000; v += 2) {
            display[v] = 0xB0;
            display[v + 1] = 0x10;
        }
        display[0x4FFF] = 0x00; // reset vector $B000

        main.m_pRom = boot.data();
        sub.m_pRom = display.data();
        main.m_pSub = &sub;
        sub.m_pMainIo = main.m_io;
        sub.m_pPal = main.m_pal;
        main.Reset();
        sub.Reset();
    }

    static void Put(uint8_t* mem, int at, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes)
            mem[at++] = b;
    }

    CMainCpu main;
    CSubCpu sub;
    std::array<uint8_t, 4096> boot{};
    std::array<uint8_t, 20480> display{};
};

void RunMachine(benchmark::State& state, bool displayBusy) {
    auto m = std::make_unique<Machine>(displayBusy);
    uint64_t accesses = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            m->main.Step();
            m->sub.Step();
        }
        // No ticks run here, so the counters only grow: take them per batch.
        accesses += uint64_t(m->main.m_nSpeedCount) + m->sub.m_nSpeedCount;
        m->main.m_nSpeedCount = 0;
        m->sub.m_nSpeedCount = 0;
    }
    const double pairs = double(state.iterations()) * kBatch;
    state.counters["pairs/s"] = benchmark::Counter(pairs, benchmark::Counter::kIsRate);
    state.counters["accesses/s"] =
        benchmark::Counter(double(accesses), benchmark::Counter::kIsRate);
}

void BM_DisplayWaits(benchmark::State& state) {
    RunMachine(state, false);
}
void BM_BothBusy(benchmark::State& state) {
    RunMachine(state, true);
}

BENCHMARK(BM_DisplayWaits);
BENCHMARK(BM_BothBusy);

} // namespace
