// Main board throughput: a RAM-resident guest loop stepped through the board (steps/s
// and memory accesses/s), with the MMU off and on, and the raw memory map alone.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "mainboard/main_cpu.h"

namespace {

// 1000 LDX #$2000      8E 20 00
// 1003 LDA ,X+         A6 80
// 1005 STA $3000       B7 30 00
// 1008 CMPX #$2100     8C 21 00
// 100B BNE $1003       26 F6
// 100D BRA $1000       20 F1
constexpr uint8_t kLoop[] = {0x8E, 0x20, 0x00, 0xA6, 0x80, 0xB7, 0x30, 0x00,
                             0x8C, 0x21, 0x00, 0x26, 0xF6, 0x20, 0xF1};

std::unique_ptr<CMainCpu> MakeBoard(bool mmu) {
    auto board = std::make_unique<CMainCpu>();
    board->Reset();
    std::memcpy(board->m_ram + 0x1000, kLoop, sizeof kLoop);
    if (mmu) {
        for (int page = 0; page < 16; ++page)
            board->m_mmu[page * 16] = page << 12;
        board->WriteIo(0xFD93, 0x80);
    }
    board->m_reg.PC = 0x1000;
    return board;
}

void GuestLoop(benchmark::State& state) {
    auto board = MakeBoard(state.range(0) != 0);
    int64_t steps = 0;
    uint64_t accesses = 0;
    for (auto _ : state) {
        const int before = board->m_nSpeedCount;
        for (int i = 0; i < 2000; ++i)
            board->Step();
        accesses += unsigned(board->m_nSpeedCount - before);
        board->m_nSpeedCount = 0;
        steps += 2000;
    }
    state.counters["steps/s"] = benchmark::Counter(double(steps), benchmark::Counter::kIsRate);
    state.counters["accesses/s"] =
        benchmark::Counter(double(accesses), benchmark::Counter::kIsRate);
}
BENCHMARK(GuestLoop)->Arg(0)->Arg(1)->ArgName("mmu");

// The memory map alone: RAM, MMU, window, fixed area and an I/O cell in turn.
void MemoryMap(benchmark::State& state) {
    auto board = MakeBoard(true);
    board->WriteIo(0xFD93, 0xC0);
    constexpr uint16_t kAddrs[8] = {0x0100, 0x2345, 0x7C10, 0x8000, 0xFC80, 0xFD10, 0xC000, 0xFFF0};
    uint64_t accesses = 0;
    for (auto _ : state) {
        unsigned sum = 0;
        for (int i = 0; i < 1024; ++i) {
            const uint16_t addr = kAddrs[i & 7];
            board->WriteByte(addr, uint8_t(i));
            sum += board->ReadByte(addr);
        }
        benchmark::DoNotOptimize(sum);
        accesses += 2048;
    }
    state.counters["accesses/s"] =
        benchmark::Counter(double(accesses), benchmark::Counter::kIsRate);
}
BENCHMARK(MemoryMap);

} // namespace
