// A display board with the main board's I/O area, palette, a recording window and test
// images: ROM of $12 with every vector $B000, font row r of c = c ^ r, kanji byte i = i.
// Also a host clock and a debugger page, which the main board and machine tests use too.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/sub_cpu.h"
#include "platform/clock.h"
#include "tests/platform/fake_wnd.h"

// The host's millisecond clock at `now` and a fixed local time, while it lives.
struct HostClock {
    uint32_t now;
    explicit HostClock(uint32_t start = 1000) : now(start) {
        SetHostTickSource([this] { return now; });
        SetHostTimeSource([] { return HostTime{2026, 12, 5, 13, 5, 9, 6}; });
    }
    ~HostClock() {
        SetHostTickSource(nullptr);
        SetHostTimeSource(nullptr);
    }
};

// A debugger page, attached to stop the speed measurements.
struct NullPage : CTracePage09 {
    void Update(const REG09*, const char*) override {}
    void UpdateSignals(const REG09*) override {}
};

class BoardTest : public ::testing::Test {
protected:
    BoardTest() : rom(20480, 0x12), font(4096), kanji(131072) {
        for (int v = 0x4FF0; v < 0x5000; v += 2)
            rom[v] = 0xB0, rom[v + 1] = 0x00;
        for (int i = 0; i < 4096; ++i)
            font[i] = uint8_t((i >> 4) ^ (i & 15));
        for (size_t i = 0; i < kanji.size(); ++i)
            kanji[i] = uint8_t(i);
    }
    void SetUp() override { ResetBoard(); }
    void ResetBoard() {
        sub.m_pRom = rom.data();
        sub.m_pFont = font.data();
        sub.m_pKanjiRom = kanji.data();
        sub.m_pMainIo = io;
        sub.m_pPal = pal;
        sub.m_pWnd = &wnd;
        io[0xDA0] = 0x0F; // both layers enabled
        sub.Reset();
    }
    void Tick() {
        sub.m_bTick = 1;
        sub.Step();
    }
    void Crtc(int reg, uint8_t value) {
        sub.WriteByte(0xAFEE, uint8_t(reg));
        sub.WriteByte(0xAFEF, value);
    }
    void Text(int cell, uint8_t ch, uint8_t attr) {
        sub.WriteByte(uint16_t(0x8000 + cell * 2), ch);
        sub.WriteByte(uint16_t(0x8001 + cell * 2), attr);
    }
    uint8_t& Cell(uint16_t addr) { return sub.m_mem[addr - 0x8000]; }
    uint32_t Out(int x, int y) const { return sub.m_dcOut.GetPixel(x, y); }
    static uint32_t Color(int i) { return CSubCpu::kColorTable[i]; }
    // Output pixels in [x0, x1) x [y0, y1) other than `other` (non-black by default).
    int Lit(int x0, int y0, int x1, int y1, uint32_t other = 0) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += Out(x, y) != other;
        return n;
    }

    std::vector<uint8_t> rom, font, kanji;
    uint8_t io[4096] = {};
    uint8_t pal[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    HostClock clock;
    FakeWnd wnd;
    std::unique_ptr<CSubCpu> owner = std::make_unique<CSubCpu>();
    CSubCpu& sub = *owner;
};
