// A display board on its own: a 4 KB array as the main board's I/O area, eight palette
// registers, a recording window, and test images for the ROM, font and kanji ROM.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "display/sub_cpu.h"
#include "platform/clock.h"
#include "tests/platform/fake_wnd.h"

class BoardTest : public ::testing::Test {
protected:
    static constexpr uint32_t kBlack = 0x000000;

    BoardTest() : rom(20480, 0x12), font(4096), kanji(131072) {
        // ROM: NOPs, vectors all at $B000.
        for (int v = 0xFFF0; v < 0x10000; v += 2) {
            rom[v - 0xB000] = 0xB0;
            rom[v - 0xB000 + 1] = 0x00;
        }
        // Font: glyph c has row r = c ^ r (row 0 of glyph 0x41 = 0x41 ...).
        for (int c = 0; c < 256; ++c)
            for (int r = 0; r < 16; ++r)
                font[c * 16 + r] = uint8_t(c ^ r);
        for (size_t i = 0; i < kanji.size(); ++i)
            kanji[i] = uint8_t(i);
        for (int i = 0; i < 8; ++i)
            pal[i] = uint8_t(i);
        SetHostTickSource([this] { return now; });
    }
    ~BoardTest() override {
        SetHostTickSource(nullptr);
        SetHostTimeSource(nullptr);
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
        sub.WriteByte(uint16_t(0x8000 + cell * 2 + 1), attr);
    }
    uint32_t Out(int x, int y) const { return sub.m_dcOut.GetPixel(x, y); }
    static uint32_t Color(int i) { return CSubCpu::kColorTable[i]; }

    // Number of output pixels in the rectangle that are not black.
    int Lit(int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += Out(x, y) != kBlack;
        return n;
    }

    // Copy bytes into the ROM at a display processor address.
    void Load(uint16_t addr, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes)
            rom[addr++ - 0xB000] = b;
    }

    std::vector<uint8_t> rom, font, kanji;
    uint8_t io[4096] = {};
    uint8_t pal[8] = {};
    uint32_t now = 1000;
    FakeWnd wnd;
    std::unique_ptr<CSubCpu> owner = std::make_unique<CSubCpu>();
    CSubCpu& sub = *owner;
};
