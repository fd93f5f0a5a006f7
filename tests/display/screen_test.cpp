// Rendering, checked on output-surface pixels.
#include "board.h"

namespace {

class ScreenTest : public BoardTest {
protected:
    // Reset leaves a one-raster steady cursor at cell 0; most cases want none.
    void SetUp() override {
        BoardTest::SetUp();
        Crtc(10, 0x20);
        Tick();
    }
    // Expect glyph ch (test font: row r = ch ^ r) at (x, y), doubled when wide.
    void ExpectGlyph(int x, int y, uint8_t ch, uint32_t fg, uint32_t bg, bool wide = false) {
        for (int r = 0; r < 16; ++r) {
            for (int b = 0; b < 8; ++b) {
                const uint32_t c = ((ch ^ r) >> b) & 1 ? fg : bg;
                const int px = wide ? x + 2 * b : x + b;
                ASSERT_EQ(Out(px, y + r), c) << "row " << r << " bit " << b;
                if (wide) {
                    ASSERT_EQ(Out(px + 1, y + r), c);
                }
            }
        }
    }
    void FillGraphicLines(int first, int count, uint8_t plane0) {
        for (int i = first * 80; i < (first + count) * 80; ++i)
            sub.m_vram[i & 0x7FFF] = plane0;
    }
    void Cursor(uint8_t r10, uint8_t r11, int cell) {
        Crtc(10, r10);
        Crtc(11, r11);
        Crtc(14, uint8_t(cell >> 9));
        Crtc(15, uint8_t(cell >> 1));
    }
};

TEST_F(ScreenTest, OneCharacterRedrawsOnlyItsCell) {
    Text(0, 'A', 0x07);
    Text(5, 'B', 0x07);
    sub.m_wTextShadow[5] = 0x0742;              // cell 5 counts as drawn already
    sub.m_dcGraph.SetPixel(300, 200, 0x123456); // outside cell 0: not composed
    wnd.m_invalidated.clear();
    Tick();
    ExpectGlyph(0, 0, 'A', Color(7), kBlack);
    EXPECT_EQ(Lit(8, 0, 640, 400), 0);
    ASSERT_FALSE(wnd.m_invalidated.empty());
    EXPECT_FALSE(wnd.m_invalidated[0].rc.has_value());
    EXPECT_TRUE(wnd.m_invalidated[0].erase);
}

TEST_F(ScreenTest, ReverseBrightAttribute) {
    Text(81, 'C', 0x2C);
    Tick();
    ExpectGlyph(8, 16, 'C', kBlack, Color(12));
}

TEST_F(ScreenTest, BlankRunsFillToRowEndWithBackground) {
    for (int i = 70; i < 85; ++i)
        Text(i, ' ', 0x0A); // reverse colour 2
    Text(75, 0, 0x0A);      // a different word ends the first run
    Tick();
    EXPECT_EQ(Out(70 * 8, 0), Color(2));
    EXPECT_EQ(Out(75 * 8 + 3, 8), Color(2));
    EXPECT_EQ(Out(639, 15), Color(2));
    EXPECT_EQ(Out(4 * 8, 16), Color(2)); // cells 80-84 on the next row
    EXPECT_EQ(Out(5 * 8, 16), kBlack);
    EXPECT_EQ(sub.m_wTextShadow[79], 0x0A20);
    EXPECT_EQ(sub.m_wTextShadow[75], 0x0A00);
}

TEST_F(ScreenTest, FortyColumnsDoublePixels) {
    Text(0, 'A', 0x07);
    Text(1, ' ', 0x0C);
    Tick();
    Crtc(1, 20);
    EXPECT_EQ(sub.m_nColumns, 40);
    EXPECT_EQ(sub.m_nCharWidth, 16);
    EXPECT_EQ(sub.m_wTextShadow[0], 0);
    Tick();
    ExpectGlyph(0, 0, 'A', Color(7), kBlack, true);
    EXPECT_EQ(Lit(16, 0, 32, 16), 16 * 16);
    EXPECT_EQ(Lit(32, 0, 640, 400), 0);
}

TEST_F(ScreenTest, GeometryIsClampedToTheShadow) {
    struct Case {
        uint8_t r1, r6;
        int columns, rows;
    } cases[] = {{0, 25, 1, 25}, {200, 25, 80, 25}, {40, 0, 80, 1}, {40, 60, 80, 25}};
    for (const Case& c : cases) {
        ResetBoard();
        for (int i = 0; i < 2048; ++i)
            Text(i, 'X', 0x07);
        Crtc(1, c.r1);
        Crtc(6, c.r6);
        Tick();
        EXPECT_EQ(sub.m_nColumns, c.columns);
        EXPECT_EQ(sub.m_nRows, c.rows);
        EXPECT_EQ(sub.m_nCharWidth, 640 / c.columns);
        EXPECT_EQ(sub.m_nCharHeight, 400 / c.rows);
    }
}

TEST_F(ScreenTest, StartAddressScrollsTextByMovingPixels) {
    for (int i = 0; i < 80; ++i) {
        Text(i, 'A', 0x07);
        Text(80 + i, 'B', 0x07);
    }
    Tick();
    sub.m_dcText.SetPixel(3, 20, 0x000101); // a mark a redraw would wipe
    Text(2000, 'Z', 0x07);                  // hidden until the scroll
    Crtc(12, 0);
    Crtc(13, 40); // start = 80 cells: one row
    EXPECT_EQ(sub.m_nTextStart, 80);
    Tick();
    EXPECT_EQ(Out(3, 4), 0x000101);
    ExpectGlyph(8, 0, 'B', Color(7), kBlack);
    EXPECT_EQ(Lit(0, 16, 640, 384), 0);
    ExpectGlyph(0, 384, 'Z', Color(7), kBlack);
    EXPECT_EQ(sub.m_wTextShadow[0], 0x0742);
    EXPECT_EQ(sub.m_wTextShadow[80], 0);
}

TEST_F(ScreenTest, TwoHundredLineModeDoublesRows) {
    sub.WriteByte(0xAFE2, 0x07);
    Tick();
    sub.m_dcGraph.SetPixel(0, 1, 0x111111);
    sub.m_dcGraph.SetPixel(0, 4, 0x111111);
    sub.WriteByte(0xAFE1, 0x01);
    sub.WriteByte(0x0050, 0x80); // graphic line 1, leftmost pixel plane 0
    Tick();
    EXPECT_EQ(Out(0, 2), Color(1));
    EXPECT_EQ(Out(0, 3), Color(1));
    EXPECT_EQ(Out(1, 2), kBlack);
    EXPECT_EQ(sub.m_dcGraph.GetPixel(0, 1), 0x111111u); // rows 2 and 3 only
    EXPECT_EQ(sub.m_dcGraph.GetPixel(0, 4), 0x111111u);
}

TEST_F(ScreenTest, PaletteWriteRecoloursWholeLayer) {
    sub.WriteByte(0xAFE2, 0x47); // 400 lines, all planes
    FillGraphicLines(0, 400, 0xFF);
    Tick();
    EXPECT_EQ(Out(639, 399), Color(1));
    pal[1] = 10; // what the main board does on a palette write
    sub.m_rcGraphDirty = CRect{0, 0, 639, 399};
    sub.m_bGraphDirty = 1;
    Tick();
    int wrong = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x)
            wrong += Out(x, y) != Color(10);
    EXPECT_EQ(wrong, 0);
    sub.WriteByte(0xAFE2, 0x46); // plane 0 masked off: palette entry 0
    Tick();
    EXPECT_EQ(Lit(0, 0, 640, 400), 0);
}

TEST_F(ScreenTest, DisabledLayersStayButCursorBlinks) {
    io[0xDA0] = 0;
    Text(0, 'A', 0x07);
    sub.WriteByte(0xAFE1, 0x01);
    sub.WriteByte(0x0000, 0xFF);
    Cursor(0x40, 15, 0); // fast blink, rasters 0-15, cell 0
    Tick();
    EXPECT_EQ(Out(0, 0), 0xFFFFFFu); // inverted black
    EXPECT_EQ(sub.m_dcText.GetPixel(0, 0), kBlack);
    EXPECT_EQ(sub.m_dcGraph.GetPixel(0, 0), kBlack);
    std::vector<int> changes;
    uint32_t last = Out(0, 0);
    for (int t = 1; t <= 24; ++t) {
        Tick();
        if (Out(0, 0) != last) changes.push_back(t);
        last = Out(0, 0);
    }
    EXPECT_EQ(changes, (std::vector<int>{6, 12, 18, 24}));
    EXPECT_TRUE(sub.m_bTextDirty);
}

TEST_F(ScreenTest, BlinkModesAndHiddenCursor) {
    Cursor(0x60, 15, 82); // slow blink at column 2, row 1
    wnd.m_width = 1280;
    wnd.m_height = 800;
    wnd.m_invalidated.clear();
    Tick();
    EXPECT_EQ(Out(16, 16), 0xFFFFFFu);
    ASSERT_FALSE(wnd.m_invalidated.empty());
    const CRect rc = *wnd.m_invalidated.back().rc; // (16, 16)-(24, 32) scaled twice
    EXPECT_EQ(rc.left, 32);
    EXPECT_EQ(rc.top, 32);
    EXPECT_EQ(rc.right, 49);
    EXPECT_EQ(rc.bottom, 65);
    int first = 0;
    for (int t = 1; t <= 12 && !first; ++t) {
        Tick();
        if (Out(16, 16) == kBlack) first = t;
    }
    EXPECT_EQ(first, 10);
    Crtc(10, 0x20); // not shown
    Tick();
    Tick();
    EXPECT_EQ(Lit(0, 0, 640, 400), 0);
}

TEST_F(ScreenTest, CursorAddressTakesBitFiveOfHandshake) {
    Cursor(0x00, 15, 6);
    EXPECT_EQ(sub.m_cursor.column, 6);
    sub.WriteByte(0xAFE0, 0x20);
    Crtc(15, 3);
    EXPECT_EQ(sub.m_cursor.column, 7);
    Crtc(11, 31); // raster beyond the cell
    EXPECT_EQ(sub.m_cursor.last, 15);
}

TEST_F(ScreenTest, GraphicScrollRedrawsOnlyNewRows) {
    struct Case {
        uint8_t mode;
        int pixelRows; // a 16-line move shifts the layer by this many rows
    } cases[] = {{0x47, 16}, {0x07, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        ResetBoard();
        sub.WriteByte(0xAFE2, c.mode);
        for (int line = 0; line < 420; ++line)
            FillGraphicLines(line, 1, uint8_t(line));
        Tick();
        const int mark = 100 + c.pixelRows;
        sub.m_dcGraph.SetPixel(5, mark, 0x010101);
        sub.WriteByte(0xAFEA, 0x05);
        sub.WriteByte(0xAFEB, 0x00); // start 1280: 16 lines
        Tick();
        EXPECT_EQ(Out(5, 100), 0x010101u);
        const int h = c.pixelRows / 16;
        for (int y = 400 - c.pixelRows; y < 400; y += 3) {
            const int line = 16 + y / h;
            const bool lit = (line >> (7 - 2)) & 1; // pixel x = 2 of the line's byte
            EXPECT_EQ(Out(2, y), lit ? Color(1) : kBlack) << y;
        }
    }
}

TEST_F(ScreenTest, UnevenGraphicMoveRedrawsEverything) {
    sub.WriteByte(0xAFEA, 0x05);
    sub.WriteByte(0xAFEB, 0x02); // 16 lines and one byte
    EXPECT_EQ(sub.m_rcGraphDirty.top, 0);
    EXPECT_EQ(sub.m_rcGraphDirty.bottom, 399);
    EXPECT_TRUE(sub.m_bGraphDirty);
}

} // namespace
