// Rendering, checked on output-surface pixels.
#include "board.h"

namespace {

class ScreenTest : public BoardTest {
protected:
    void SetUp() override { // reset leaves a one-raster steady cursor at cell 0: hide it
        BoardTest::SetUp();
        Crtc(10, 0x20);
        Tick();
    }
    // Expect glyph ch (row r = ch ^ r, bit 0 leftmost) at (x, y), doubled when wide.
    void ExpectGlyph(int x, int y, uint8_t ch, uint32_t fg, uint32_t bg, int scale = 1) {
        for (int r = 0; r < 16; ++r)
            for (int px = 0; px < 8 * scale; ++px)
                ASSERT_EQ(Out(x + px, y + r), ((ch ^ r) >> (px / scale)) & 1 ? fg : bg)
                    << "row " << r << " x " << px;
    }
};

TEST_F(ScreenTest, OneCharacterRedrawsOnlyItsCell) {
    Text(0, 'A', 0x07);
    Text(5, 'B', 0x07);
    sub.m_wTextShadow[5] = 0x0742;              // cell 5 counts as drawn already
    sub.m_dcGraph.SetPixel(300, 200, 0x123456); // outside cell 0: not composed
    Tick();
    ExpectGlyph(0, 0, 'A', Color(7), 0);
    EXPECT_EQ(Lit(8, 0, 640, 400), 0);
}

TEST_F(ScreenTest, ReverseBrightAndFortyColumns) {
    Text(81, 'C', 0x2C);
    Text(0, 'A', 0x07);
    Text(1, ' ', 0x0C); // reverse blank: a run filled with colour 4
    Crtc(1, 20);
    Tick();
    ExpectGlyph(0, 0, 'A', Color(7), 0, 2);
    EXPECT_EQ(Lit(16, 0, 32, 16), 16 * 16);
    EXPECT_EQ(Lit(32, 0, 640, 16), 0);
    ExpectGlyph(16, 32, 'C', 0, Color(12), 2); // cell 81 is row 2, column 1 now
    Crtc(1, 200);                              // out of range: clamped to the shadow
    Crtc(6, 100);
    Tick();
    EXPECT_EQ(sub.m_nColumns * sub.m_nRows, CSubCpu::kShadowCells);
}

// A reset leaves nothing drawn, so text written after it is drawn afresh, even where the
// same text was before.
TEST_F(ScreenTest, ResetDrawsEveryCellAfresh) {
    Text(0, 'A', 0x07);
    Tick();
    SetUp(); // the reset, and the cursor hidden again
    EXPECT_EQ(Lit(0, 0, 640, 400), 0);
    Text(0, 'A', 0x07);
    Tick();
    ExpectGlyph(0, 0, 'A', Color(7), 0);
}

TEST_F(ScreenTest, StartAddressScrollsTextByMovingPixels) {
    for (int i = 0; i < 80; ++i)
        Text(i, 'A', 0x07), Text(80 + i, 'B', 0x07);
    Tick();
    sub.m_dcText.SetPixel(3, 20, 0x000101); // a mark that a redraw would wipe
    Text(2000, 'Z', 0x07);                  // hidden until the scroll
    Crtc(12, 0);
    Crtc(13, 40); // start = 80 cells: one row
    Tick();
    EXPECT_EQ(Out(3, 4), 0x000101u);
    ExpectGlyph(8, 0, 'B', Color(7), 0);
    EXPECT_EQ(Lit(0, 16, 640, 384), 0);
    ExpectGlyph(0, 384, 'Z', Color(7), 0);
}

TEST_F(ScreenTest, TwoHundredLineModeDoublesRows) {
    sub.WriteByte(0xAFE2, 0x07);
    Tick();
    sub.m_dcGraph.SetPixel(0, 4, 0x111111);
    sub.WriteByte(0xAFE1, 0x01);
    sub.WriteByte(0x0050, 0x80); // graphic line 1, leftmost pixel, plane 0
    Tick();
    EXPECT_EQ(Out(0, 2), Color(1));
    EXPECT_EQ(Out(0, 3), Color(1));
    EXPECT_EQ(sub.m_dcGraph.GetPixel(0, 4), 0x111111u); // only rows 2 and 3 redrawn
}

TEST_F(ScreenTest, PaletteWriteRecoloursWholeLayer) {
    sub.WriteByte(0xAFE2, 0x47); // 400 lines, all planes
    std::fill(sub.m_vram, sub.m_vram + 32000, 0xFF);
    Tick();
    pal[1] = 10; // what the main board does on a palette write
    sub.m_rcGraphDirty = CRect{0, 0, 639, 399};
    sub.m_bGraphDirty = 1;
    Tick();
    EXPECT_EQ(Lit(0, 0, 640, 400, Color(10)), 0);
    sub.WriteByte(0xAFE2, 0x46); // plane 0 masked off: redrawn with palette entry 0
    Tick();
    EXPECT_EQ(Lit(0, 0, 640, 400), 0);
}

TEST_F(ScreenTest, CursorBlinksWithLayersDisabled) {
    io[0xDA0] = 0;
    Text(0, 'A', 0x07);
    Crtc(11, 16);                // past the cell: its last raster
    sub.WriteByte(0xAFE0, 0x20); // the cursor address's bit 0
    Crtc(15, 41);                // cell 83: column 3, row 1
    for (int period : {6, 10}) {
        Crtc(10, period == 6 ? 0x40 : 0x60);
        Tick();
        std::vector<int> changes;
        for (int t = 1; t <= 2 * period; ++t) {
            const uint32_t before = Out(24, 31);
            Tick();
            if (Out(24, 31) != before) changes.push_back(t);
        }
        EXPECT_EQ(changes, (std::vector<int>{period, 2 * period}));
    }
    EXPECT_EQ(Lit(0, 0, 8, 16), 0); // the text layer was not redrawn
}

TEST_F(ScreenTest, GraphicScrollRedrawsOnlyNewRows) {
    for (int line = 0; line < 420; ++line)
        std::fill_n(sub.m_vram + line * 80, 80, uint8_t(line));
    for (int h : {1, 2}) { // 400-line and 200-line mode
        sub.WriteByte(0xAFE2, h == 1 ? 0x47 : 0x07);
        sub.WriteByte(0xAFEA, 0);
        sub.WriteByte(0xAFEB, 0);
        Tick();
        sub.m_dcGraph.SetPixel(5, 100 + 16 * h, 0x010101);
        sub.WriteByte(0xAFEA, 0x05);
        sub.WriteByte(0xAFEB, 0x00); // start 1280: 16 lines
        Tick();
        EXPECT_EQ(Out(5, 100), 0x010101u) << h;
        for (int y = 400 - 16 * h; y < 400; ++y) {
            const bool lit = ((16 + y / h) >> 5) & 1; // pixel 2 of the line's byte
            ASSERT_EQ(Out(2, y), lit ? Color(1) : 0) << h << " " << y;
        }
    }
}

} // namespace
