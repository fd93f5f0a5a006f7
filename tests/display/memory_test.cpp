// Address space, I/O side effects on the main board's cells, clock and kanji port.
#include "board.h"

namespace {

TEST_F(BoardTest, PlaneWritesFollowEnableAndKeepBits) {
    struct {
        uint8_t planes, p0, p1, p2;
    } cases[] = {
        {0x01, 0x5A, 0, 0}, {0x31, 0x5A, 0x22, 0x33}, {0x00, 0, 0, 0}, {0x0E, 0x11, 0x5A, 0x5A}};
    for (const auto& c : cases) {
        sub.m_vram[0] = 0x11, sub.m_vram[0x8000] = 0x22, sub.m_vram[0x10000] = 0x33;
        sub.WriteByte(0xAFE1, c.planes);
        sub.WriteByte(0x0000, 0x5A);
        EXPECT_EQ(sub.m_vram[0], c.p0) << int(c.planes);
        EXPECT_EQ(sub.m_vram[0x8000], c.p1) << int(c.planes);
        EXPECT_EQ(sub.m_vram[0x10000], c.p2) << int(c.planes);
    }
}

TEST_F(BoardTest, GraphicAccessUsesBankOffsetAndReadPlane) {
    sub.WriteByte(0xAFE3, 0x10); // bank 2
    sub.WriteByte(0xAFE8, 0xFF);
    sub.WriteByte(0xAFE9, 0xFF); // offset $7FFE
    sub.WriteByte(0xAFE1, 0x47); // all planes, read plane 1
    sub.WriteByte(0x0004, 0x99); // byte (0x7FFE + 4) & 0x7FFF = 2
    EXPECT_EQ(sub.m_vram[(2 * 4 + 1) * 0x8000 + 2], 0x99);
    EXPECT_EQ(sub.ReadByte(0x0004), 0x99);
    EXPECT_FALSE(sub.m_bGraphDirty); // bank 2 is not shown
    sub.WriteByte(0xAFE2, 0x10);
    EXPECT_EQ(sub.m_nDispBank, 2);
    ResetBoard(); // bank 0, offset 0 again
    sub.WriteByte(0xAFE1, 0x01);
    sub.WriteByte(0x0000, 0x77);
    EXPECT_EQ(sub.m_vram[0], 0x77);
}

TEST_F(BoardTest, RamRomAndTheMainBoardsCells) {
    EXPECT_EQ(io[0xD05], 0x80); // busy from reset
    EXPECT_EQ(sub.m_reg.PC, 0xB000);
    io[0xC80] = 0x5C;
    EXPECT_EQ(sub.ReadByte(0x9F80), 0x5C);
    sub.WriteByte(0x9FFF, 0x3D);
    EXPECT_EQ(io[0xCFF], 0x3D);
    sub.WriteByte(0xB010, 0); // ROM
    EXPECT_EQ(sub.ReadByte(0xB010), 0x12);
    for (uint8_t expected : {0xC4, 0x40}) // $AFE6 toggles on every read
        EXPECT_EQ(sub.ReadByte(0xAFE6), expected);
    io[0x004] = 0x80;
    EXPECT_EQ(sub.ReadByte(0xAFF3), 0x80); // the main processor wrote $FD04
    sub.ReadByte(0xAFE7);                  // attention
    EXPECT_EQ(io[0xD04], 0x01);
    EXPECT_EQ(io[0x004], 0x00);
    io[0x005] = 0xC0;
    sub.ReadByte(0xAFE5); // cancel acknowledged, the hold stays
    EXPECT_EQ(io[0x005], 0x80);
    for (int i = 0; i < 3; ++i) { // to the main board's $FD20-$FD22
        sub.WriteByte(uint16_t(0xAFF0 + i), uint8_t(0x3C + i));
        EXPECT_EQ(io[0xD20 + i], 0x3C + i);
    }
    Crtc(13, 40);
    Crtc(16, 0x5A);
    Crtc(17, 0x6B);
    ResetBoard(); // clears R0-R16 only
    EXPECT_EQ(sub.m_nTextStart, 0);
    for (auto [reg, value] : {std::pair{16, 0x00}, {17, 0x6B}}) {
        sub.WriteByte(0xAFEE, uint8_t(reg));
        EXPECT_EQ(sub.ReadByte(0xAFEF), value) << reg;
    }
}

TEST_F(BoardTest, ClockLatchesLocalTimeAsDigits) {
    sub.WriteByte(0xAFF4, 0x8C);
    sub.WriteByte(0xAFF7, 0x0E); // digit 12, untouched by the latch
    sub.WriteByte(0xAFF4, 0x8D);
    const uint8_t expected[13] = {9, 0, 5, 0, 3, 1, 5, 0, 2, 1, 6, 12, 0x0E};
    for (int i = 0; i < 13; ++i) {
        sub.WriteByte(0xAFF4, uint8_t(0x80 | i));
        EXPECT_EQ(sub.ReadByte(0xAFF7), expected[i]) << i;
        EXPECT_EQ(sub.ReadByte(0xAFF6), 0);
    }
}

TEST_F(BoardTest, KanjiPortReadsEvenAndOddBytes) {
    sub.WriteByte(0xAFF4, 0x00);
    sub.WriteByte(0xAFF5, 0x02);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(sub.ReadByte(0xAFF6), 64 + 2 * i);
        EXPECT_EQ(sub.ReadByte(0xAFF7), 65 + 2 * i);
    }
    EXPECT_EQ(sub.ReadByte(0xAFF6), 0); // past the glyph
    sub.WriteByte(0xAFF4, 0x0F);
    sub.WriteByte(0xAFF5, 0xFF); // glyph 4095, the last
    EXPECT_EQ(sub.ReadByte(0xAFF6), 0xE0);
    sub.WriteByte(0xAFF4, 0x10);
    sub.WriteByte(0xAFF5, 0x00); // glyph 4096: ignored
    EXPECT_EQ(sub.ReadByte(0xAFF6), 0xE2);
    ResetBoard(); // no glyph selected: past the end
    EXPECT_EQ(sub.ReadByte(0xAFF6), 0);
    EXPECT_EQ(sub.ReadByte(0xAFF7), 1);
}

} // namespace
