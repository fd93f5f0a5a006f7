// Address space, I/O side effects on the main board's cells, clock and kanji port.
#include "board.h"

namespace {

uint8_t& Plane(CSubCpu& sub, int bank, int plane, int offset) {
    return sub.m_vram[((bank * 4 + plane) << 15) + offset];
}

TEST_F(BoardTest, ResetLoadsVectorAndRaisesBusy) {
    Load(0xFFFE, {0xB1, 0x23});
    io[0xD05] = 0;
    ResetBoard();
    EXPECT_EQ(sub.m_reg.PC, 0xB123);
    EXPECT_EQ(io[0xD05], 0x80);
    EXPECT_EQ(sub.m_nSpeedCount, 2u); // the two vector reads
    const uint8_t toggles[] = {0xC4, 0x40, 0xC4, 0x40};
    for (uint8_t expected : toggles)
        EXPECT_EQ(sub.ReadByte(0xAFE6), expected);
}

TEST_F(BoardTest, PlaneWritesFollowEnableAndKeepBits) {
    struct Case {
        uint8_t planes;
        uint8_t expected[3];
    } cases[] = {
        {0x01, {0x5A, 0x00, 0x00}}, {0x31, {0x5A, 0x22, 0x33}}, {0x00, {0x00, 0x00, 0x00}},
        {0x07, {0x5A, 0x5A, 0x5A}}, {0x0E, {0x11, 0x5A, 0x5A}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.planes));
        Plane(sub, 0, 0, 0) = 0x11;
        Plane(sub, 0, 1, 0) = 0x22;
        Plane(sub, 0, 2, 0) = 0x33;
        sub.WriteByte(0xAFE1, c.planes);
        sub.WriteByte(0x0000, 0x5A);
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ(Plane(sub, 0, p, 0), c.expected[p]);
        EXPECT_EQ(Plane(sub, 0, 3, 0), 0);
    }
}

TEST_F(BoardTest, GraphicAccessUsesBankOffsetAndReadPlane) {
    sub.WriteByte(0xAFE3, 0x10); // bank 2
    sub.WriteByte(0xAFE8, 0xFF);
    sub.WriteByte(0xAFE9, 0xFF); // offset $7FFE: bit 0 and bit 15 dropped
    sub.WriteByte(0xAFE1, 0x07);
    sub.WriteByte(0x0004, 0x99); // (0x7FFE + 4) & 0x7FFF = 2
    EXPECT_EQ(Plane(sub, 2, 1, 2), 0x99);
    Plane(sub, 2, 1, 2) = 0x42;
    sub.WriteByte(0xAFE1, 0x40); // read plane 1
    EXPECT_EQ(sub.ReadByte(0x0004), 0x42);
    sub.WriteByte(0xAFE1, 0xC0); // plane 3 is never written
    EXPECT_EQ(sub.ReadByte(0x0004), 0x00);
}

TEST_F(BoardTest, GraphicWriteMarksShownBankOnly) {
    sub.WriteByte(0xAFE1, 0x01);
    sub.WriteByte(0x00A5, 1); // byte 165: line 2, column 40
    EXPECT_TRUE(sub.m_bGraphDirty);
    EXPECT_EQ(sub.m_rcGraphDirty.left, 40);
    EXPECT_EQ(sub.m_rcGraphDirty.top, 2);
    EXPECT_EQ(sub.m_rcGraphDirty.right, 40);
    EXPECT_EQ(sub.m_rcGraphDirty.bottom, 2);
    sub.WriteByte(0x0000, 1);
    EXPECT_EQ(sub.m_rcGraphDirty.left, 0);
    EXPECT_EQ(sub.m_rcGraphDirty.top, 0);

    sub.m_bGraphDirty = 0;
    sub.WriteByte(0xAFE3, 0x08); // another bank
    sub.WriteByte(0x0000, 1);
    EXPECT_FALSE(sub.m_bGraphDirty);
}

TEST_F(BoardTest, TextRamSharedWindowRomAndIoCells) {
    sub.WriteByte(0x8123, 7);
    EXPECT_TRUE(sub.m_bTextDirty);
    EXPECT_EQ(sub.ReadByte(0x8123), 7);
    sub.WriteByte(0x9F7F, 8);
    EXPECT_EQ(sub.ReadByte(0x9F7F), 8);
    io[0xC80] = 0x5C;
    EXPECT_EQ(sub.ReadByte(0x9F80), 0x5C);
    sub.WriteByte(0x9FFF, 0x3D);
    EXPECT_EQ(io[0xCFF], 0x3D);
    sub.WriteByte(0xA123, 0x44); // unlisted I/O address: RAM
    EXPECT_EQ(sub.ReadByte(0xA123), 0x44);
    sub.WriteByte(0xAFF9, 0x45);
    EXPECT_EQ(sub.ReadByte(0xAFF9), 0x45);
    rom[0x10] = 0x77;
    sub.WriteByte(0xB010, 0);
    EXPECT_EQ(sub.ReadByte(0xB010), 0x77);
}

TEST_F(BoardTest, RegistersReachMainBoardCells) {
    io[0x005] = 0xC1;
    sub.ReadByte(0xAFE5); // cancel acknowledge
    EXPECT_EQ(io[0x005], 0x81);

    io[0x004] = 0x80;
    EXPECT_EQ(sub.ReadByte(0xAFF3), 0x80);
    sub.ReadByte(0xAFE7); // attention
    EXPECT_EQ(io[0xD04] & 1, 1);
    EXPECT_EQ(io[0x004], 0);
    EXPECT_EQ(sub.ReadByte(0xAFF3), 0);

    sub.WriteByte(0xAFF0, 1);
    sub.WriteByte(0xAFF1, 2);
    sub.WriteByte(0xAFF2, 3);
    EXPECT_EQ(io[0xD20], 1);
    EXPECT_EQ(io[0xD21], 2);
    EXPECT_EQ(io[0xD22], 3);
    EXPECT_EQ(sub.ReadByte(0xAFF1), 0); // not stored on this side

    sub.WriteByte(0xAFEC, 9); // key registers ignore writes
    EXPECT_EQ(sub.ReadByte(0xAFEC), 0);

    Crtc(17, 0xAB);
    EXPECT_EQ(sub.ReadByte(0xAFEF), 0xAB);
    EXPECT_EQ(sub.m_crtc[17], 0xAB);
}

TEST_F(BoardTest, ClockLatchesLocalTimeAsDigits) {
    SetHostTimeSource([] { return HostTime{2026, 12, 5, 13, 5, 9, 6}; });
    sub.WriteByte(0xAFF4, 0x8C);
    sub.WriteByte(0xAFF7, 0x0E); // clock mode write: digit 12
    sub.WriteByte(0xAFF4, 0x8D);
    const uint8_t expected[13] = {9, 0, 5, 0, 3, 1, 5, 0, 2, 1, 6, 12, 0x0E};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(sub.m_rtc[i], expected[i]) << i;
        sub.WriteByte(0xAFF4, uint8_t(0x80 | i));
        EXPECT_EQ(sub.ReadByte(0xAFF7), expected[i]) << i;
        EXPECT_EQ(sub.ReadByte(0xAFF6), 0);
    }
}

TEST_F(BoardTest, KanjiPortReadsEvenAndOddBytes) {
    EXPECT_EQ(sub.ReadByte(0xAFF6), 0); // nothing selected since reset
    EXPECT_EQ(sub.ReadByte(0xAFF7), 1);
    sub.WriteByte(0xAFF4, 0x00);
    sub.WriteByte(0xAFF5, 0x02);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(sub.ReadByte(0xAFF6), 64 + 2 * i);
        EXPECT_EQ(sub.ReadByte(0xAFF7), 65 + 2 * i);
    }
    EXPECT_EQ(sub.ReadByte(0xAFF6), 0);
    EXPECT_EQ(sub.ReadByte(0xAFF7), 1);
    sub.WriteByte(0xAFF7, 0x55); // ignored in kanji mode
    EXPECT_EQ(sub.m_rtc[0], 0);

    sub.WriteByte(0xAFF4, 0x0F);
    sub.WriteByte(0xAFF5, 0xFF); // glyph 4095, the last one
    EXPECT_EQ(sub.ReadByte(0xAFF6), kanji[4095 * 32]);
    sub.WriteByte(0xAFF4, 0x10);
    sub.WriteByte(0xAFF5, 0x00); // glyph 4096: ignored, reading goes on
    EXPECT_EQ(sub.ReadByte(0xAFF6), kanji[4095 * 32 + 2]);
}

} // namespace
