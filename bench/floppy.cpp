// Opening a floppy image: the file is read whole into memory, so the time of an open and
// what it costs in memory grow with the image. Each run opens and closes one image (from
// the page cache) of the geometries below and reports:
// - mem/image: the heap the open image takes (mallinfo2 before and after the open) per
//   byte of the image; model_bytes: the part of it that is the sector model rather than the
//   image's bytes.
// Blank: the README's blank mini disk (raw, 256-byte sectors). Largest: the largest raw
// image (80 x 2 x 18 x 512). LargestD88: the same disk as a D88 file.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "floppy/file_fdd.h"
#include "tests/platform/temp_dir.h"

namespace {

Bytes D88Of(int cylinders, int sectors, int size) {
    Bytes b(CFileFdd::kD88HeaderSize, 0);
    std::copy_n("ORLO FDD", 9, b.begin());
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(v >> 8 * i);
    };
    for (int t = 0; t < cylinders * 2; ++t) {
        put32(32 + 4 * size_t(t), uint32_t(b.size()));
        for (int r = 1; r <= sectors; ++r) {
            uint8_t head[16] = {uint8_t(t / 2), uint8_t(t % 2), uint8_t(r), 2, uint8_t(sectors)};
            head[14] = uint8_t(size), head[15] = uint8_t(size >> 8);
            b.insert(b.end(), head, head + 16);
            b.insert(b.end(), size_t(size), uint8_t(r));
        }
    }
    put32(28, uint32_t(b.size()));
    return b;
}

void Open(benchmark::State& state, const Bytes& image, const char* name) {
    TempDir dir("bench");
    const std::string path = dir / name;
    if (!WriteFile(path, image)) return state.SkipWithError("no image file");
    size_t held = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        CFileFdd fdd;
        if (!fdd.Open(path, CFile::modeReadWrite)) return state.SkipWithError("not opened");
        held = mallinfo2().uordblks - before;
        benchmark::DoNotOptimize(fdd.m_tracks.data());
        fdd.Close();
    }
    state.counters["mem/image"] = double(held) / double(image.size());
    state.counters["model_bytes"] = double(held) - double(image.size());
}

void BM_OpenBlank(benchmark::State& state) {
    Open(state, Bytes(327680, 0), "blank.img");
}
void BM_OpenLargest(benchmark::State& state) {
    Open(state, Bytes(1474560, 0x55), "largest.img");
}
void BM_OpenLargestD88(benchmark::State& state) {
    Open(state, D88Of(80, 18, 512), "largest.d88");
}

BENCHMARK(BM_OpenBlank)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLargest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLargestD88)->Unit(benchmark::kMillisecond);

} // namespace
