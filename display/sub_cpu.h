// CSubCpu: the display board. The display HD6309 with graphic and text video memory,
// RAM, the window onto the main board's shared RAM, the I/O page, the display ROM,
// the CRT controller registers, the kanji ROM port, the clock digits, the key FIFO and
// the three 640x400 drawing layers.
//
// The view sets m_pMainIo (the main board's m_io), m_pPal (its palette registers) and
// m_pWnd (itself) before the first Reset, resets this board after the main board, sets
// m_bTick every 100 ms and calls Step once after every main-board step. The main board
// reaches this board only through PopKey (its key register read) and through
// m_rcGraphDirty / m_bGraphDirty (its palette write). The view pushes keys with PushKey
// and shows m_dcOut.
//
// Files: sub_cpu.cpp (memory map, Reset, Step), sub_io.cpp (I/O page, clock, kanji
// port), key_fifo.cpp (key FIFO), screen.cpp (layers, text, glyphs, cursor),
// crtc.cpp (CRT controller effects, graphic scroll).
#pragma once

#include <cstdint>

#include "cpu6309/sim09.h"
#include "display/key_code.h"
#include "platform/surface.h"

class CSubCpu : public CSim09 {
public:
    // A cursor as wanted (m_cursor) or as drawn on the output layer (m_cursorShown).
    struct Cursor {
        int column = 0, row = 0;
        int first = 0, last = 0; // rasters inside the cell
        int blink = 0;           // 0 steady, 1 not shown, 2 fast blink, 3 slow blink
    };
    enum : int { BLINK_STEADY = 0, BLINK_OFF = 1, BLINK_FAST = 2, BLINK_SLOW = 3 };
    static constexpr int kKeyBufSize = 512;
    static constexpr int kShadowCells = 2000;
    static constexpr uint32_t kColorTable[16] = {
        0x000000, 0x0000C0, 0xC00000, 0xC000C0, 0x00C000, 0x00C0C0, 0xC0C000, 0xC0C0C0,
        0x606060, 0x0000FF, 0xFF0000, 0xFF00FF, 0x00FF00, 0x00FFFF, 0xFFFF00, 0xFFFFFF,
    };

    CSubCpu();
    ~CSubCpu() override;

    uint8_t ReadByte(uint16_t addr) override;
    void WriteByte(uint16_t addr, uint8_t value) override;
    uint8_t ReadIo(uint16_t addr);
    void WriteIo(uint16_t addr, uint8_t value);
    void Reset();
    void Step();
    void LatchClock();

    // Key FIFO
    void PushKey(uint16_t code);
    void PopKey();

    // Screen
    void RefreshScreen();
    void ApplyCrtc();
    void DrawGraphic(int bank, int mask, int start, int lineHeight, int left, int top, int right,
                     int bottom);
    void DrawText();
    void DrawGlyph(int x, int y, int fg, int bg, uint8_t ch);
    void ComposeLayers(int left, int top, int right, int bottom);
    void UpdateCursor(bool show);
    void InvertCursor(int x0, int y0, int x1, int y1);

    // Drawing layers
    Surface m_dcText, m_dcGraph, m_dcOut;

    // Links to the main board
    uint8_t* m_pMainIo = nullptr;
    uint8_t* m_pPal = nullptr;

    // Built-in images (tests may point these at their own)
    const uint8_t* m_pRom;      // 20 KB at $B000-$FFFF
    const uint8_t* m_pFont;     // 256 glyphs x 16 rows, bit 0 leftmost
    const uint8_t* m_pKanjiRom; // 4096 glyphs x 32 bytes

    uint8_t m_vram[0x80000]; // 4 banks x 4 planes x 32 KB
    uint8_t m_mem[0x4000];   // $8000-$BFFF: text video memory, RAM, I/O cells

    int m_bGraphDirty = 0, m_bTextDirty = 0, m_bCursorDirty = 0;

    int m_nKeyRead = 0, m_nKeyWrite = 0;
    uint16_t m_wKeyBuf[kKeyBufSize];

    const uint8_t* m_pKanji; // selected glyph
    int m_nKanjiLeft = 32, m_nKanjiRight = 32;

    // Display processor time: memory accesses. Unsigned so that a guest that never
    // starts the NMI, or a run without ticks, wraps instead of overflowing.
    int m_nTickMs = 0;
    uint32_t m_nSpeedCount = 0;
    uint32_t m_nNmiCount = 0;
    int m_nNmiPeriod = 60000;
    uint32_t m_dwLastTick = 0;
    int m_bNmiHold = 1;

    uint8_t m_crtc[32];
    int m_nDispBank = 0, m_nDispStart = 0;
    int m_nReadPlane = 0, m_nAccessBank = 0, m_nAccessOffset = 0;
    CRect m_rcGraphDirty; // inclusive, graphic columns and lines; empty = (640, 400, 0, 0)
    int m_bTick = 0;

    Cursor m_cursor, m_cursorShown;
    int m_nBlinkPhase = 0, m_nBlinkCount = 0;
    int m_nColumns = 80, m_nRows = 25, m_nCharWidth = 8, m_nCharHeight = 16;
    CRect m_rcOutDirty; // inclusive pixels; empty = (640, 400, 0, 0)
    int m_nTextStart = 0;
    uint16_t m_wTextShadow[kShadowCells];
    uint8_t m_rtc[16];

private:
    uint8_t& Cell(uint16_t addr) { return m_mem[addr - 0x8000]; }
    void WriteGraphic(uint16_t addr, uint8_t value);
    void ScrollGraphic(int oldStart);
    void ScrollText(int lines);
    void SetGeometry(int columns, int rows);
    void CalibrateNmi();
    void InvertShown();
    static void Grow(CRect& rc, int left, int top, int right, int bottom);
    static constexpr CRect kEmpty{640, 400, 0, 0};
};
