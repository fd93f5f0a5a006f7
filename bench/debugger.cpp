// One debugger STEP of 10000 step pairs with the three pages wired (page models, no
// windows: a window refreshes once after the run), as wall time per run.
// GuestLoop: both processors in a three-instruction polling loop in RAM.
// AfterBoot: the built-in firmware, 300000 pairs after reset, wherever it waits then.
// GuestLoopNoPages: the loop without pages, for comparison.
#include <benchmark/benchmark.h>

#include <memory>

#include "debugger/debug_session.h"
#include "debugger/stat09.h"
#include "debugger/statz80.h"
#include "display/sub_cpu.h"
#include "mainboard/main_cpu.h"
#include "tests/platform/fake_wnd.h"

namespace {

constexpr int kStepPairs = 10000;

struct Machine {
    Machine() {
        main->m_pView = &wnd;
        main->m_pSub = sub.get();
        main->Reset();
        sub->m_pMainIo = main->m_io;
        sub->m_pWnd = &wnd;
        sub->m_pPal = main->m_pal;
        sub->Reset();
    }
    // LDA <$10 / CMPA #0 / BEQ loop at `at`, with the direct page at `dp`.
    static void PollLoop(CSim09& cpu, uint16_t at, uint8_t dp) {
        const uint8_t code[] = {0x96, 0x10, 0x81, 0x00, 0x27, 0xFA};
        for (int i = 0; i < 6; ++i)
            cpu.WriteByte(uint16_t(at + i), code[i]);
        cpu.WriteByte(uint16_t(dp << 8 | 0x10), 0);
        cpu.m_reg.PC = at;
        cpu.m_reg.DP = dp;
    }
    void Run(benchmark::State& state) {
        AttachDebugPages(*main, *sub, pageMain, pageZ80, pageSub);
        RunStepPairs(*main, *sub, kStepPairs); // fill the rings: the steady state
        for (auto _ : state)
            RunStepPairs(*main, *sub, kStepPairs);
        DetachDebugPages(*main, *sub);
        state.counters["main_lines"] = pageMain.m_nCount;
        state.counters["sub_lines"] = pageSub.m_nCount;
        state.counters["z80_lines"] = pageZ80.m_nCount;
    }

    FakeWnd wnd;
    std::unique_ptr<CSubCpu> sub = std::make_unique<CSubCpu>();
    std::unique_ptr<CMainCpu> main = std::make_unique<CMainCpu>();
    CStat09 pageMain, pageSub;
    CStatZ80 pageZ80;
};

void BM_Step10000_GuestLoop(benchmark::State& state) {
    Machine m;
    Machine::PollLoop(*m.main, 0x1000, 0x00);
    Machine::PollLoop(*m.sub, 0x9000, 0x90);
    m.Run(state);
}
BENCHMARK(BM_Step10000_GuestLoop)->Unit(benchmark::kMillisecond);

void BM_Step10000_AfterBoot(benchmark::State& state) {
    Machine m;
    RunStepPairs(*m.main, *m.sub, 300000);
    m.Run(state);
}
BENCHMARK(BM_Step10000_AfterBoot)->Unit(benchmark::kMillisecond);

// The same loop without pages: what tracing adds.
void BM_Step10000_GuestLoopNoPages(benchmark::State& state) {
    Machine m;
    Machine::PollLoop(*m.main, 0x1000, 0x00);
    Machine::PollLoop(*m.sub, 0x9000, 0x90);
    for (auto _ : state)
        RunStepPairs(*m.main, *m.sub, kStepPairs);
}
BENCHMARK(BM_Step10000_GuestLoopNoPages)->Unit(benchmark::kMillisecond);

} // namespace
