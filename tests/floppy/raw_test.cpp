// Raw images: recognition, the offsets of every geometry, sector selection and moves.
#include <bit>

#include "fdd_test_util.h"

namespace {

// Every geometry: recognised by its size; where cylinder 0's two heads and cylinder 1
// begin and what their sectors hold; the last sector ends the image, and one sector or
// cylinder more is not there.
TEST(RawImage, EveryRowsLayout) {
    const struct {
        int row;
        uint32_t bytes;
        int size0, size1;     // sector sizes on cylinder 0, heads 0 and 1
        uint32_t head1, cyl1; // offsets of C0 H1 R1 and C1 H0 R1
        int size, lastC, lastR;
    } rows[] = {
        {0, 327680, 256, 256, 4096, 8192, 256, 39, 16},
        {1, 512512, 128, 128, 3328, 6656, 128, 76, 26},
        {2, 590336, 128, 128, 3328, 6656, 256, 76, 15},
        {3, 629248, 128, 128, 3328, 6656, 512, 76, 8},
        {4, 1021696, 128, 256, 3328, 9984, 256, 76, 26},
        {5, 1177344, 128, 256, 3328, 9984, 512, 76, 15},
        {6, 1255168, 128, 256, 3328, 9984, 1024, 76, 8},
        {7, 655360, 512, 512, 4096, 8192, 512, 79, 8},
        {8, 737280, 512, 512, 4608, 9216, 512, 79, 9},
        {9, 1025024, 256, 256, 6656, 13312, 256, 76, 26},
        {10, 1228800, 512, 512, 7680, 15360, 512, 79, 15},
        {11, 1261568, 1024, 1024, 8192, 16384, 1024, 76, 8},
        {12, 1474560, 512, 512, 9216, 18432, 512, 79, 18},
    };
    for (const auto& k : rows) {
        SCOPED_TRACE(testing::Message() << "row " << k.row);
        OpenImage raw(AddressedImage(k.bytes));
        EXPECT_EQ(raw.fdd.m_nFormat, k.row);
        const struct {
            int c, h, r, size;
            uint32_t offset;
        } sectors[] = {{0, 0, 1, k.size0, 0},
                       {0, 1, 1, k.size1, k.head1},
                       {1, 0, 1, k.size, k.cyl1},
                       {k.lastC, 1, k.lastR, k.size, k.bytes - k.size}};
        for (const auto& s : sectors) {
            SCOPED_TRACE(testing::Message() << "C" << s.c << " H" << s.h << " R" << s.r);
            const Bytes data = ReadSector(raw.fdd, s.c, s.h, s.r);
            ASSERT_EQ(data.size(), static_cast<size_t>(s.size));
            const CFddSect& id = raw.fdd.m_tracks[s.c * 2 + s.h].m_sects[s.r - 1];
            EXPECT_EQ(id.m_N, std::bit_width(unsigned(s.size)) - 8); // 128 bytes: N 0
            EXPECT_EQ(Le32(data, 0), s.offset / 4);
            EXPECT_EQ(Le32(data, data.size() - 4), (s.offset + s.size - 4) / 4);
        }
        EXPECT_EQ(raw.fdd.SeekSector(k.lastC, 0, k.lastR), -1);
        EXPECT_EQ(raw.fdd.SeekSector(k.lastC + 1, 0, 0), -1);
    }
    // Head 1 of row 0 numbers its sectors 17-32 as well.
    OpenImage raw(AddressedImage(327680));
    EXPECT_EQ(ReadSector(raw.fdd, 3, 1, 21), ReadSector(raw.fdd, 3, 1, 5));
    EXPECT_EQ(Le32(ReadSector(raw.fdd, 3, 1, 21), 0), ((3 * 2 + 1) * 16 + 4) * 64u);
}

TEST(RawImage, SelectionAndByteMoves) {
    OpenImage raw(AddressedImage(655360));
    CFileFdd& fdd = raw.fdd;
    for (auto [c, h, i] : {std::array{0, 0, 8}, {0, 0, -1}, {80, 0, 0}, {-1, 0, 0}, {0, 2, 0}})
        EXPECT_EQ(fdd.SeekSector(c, h, i), -1);
    uint8_t b = 0x55;
    EXPECT_EQ(fdd.Read(&b, 1), 0xFFFFFFFFu);
    fdd.Write(&b, 1);

    // One byte per call, reads and writes mixed, as the controllers move them.
    const uint32_t at = ((4 * 2 + 1) * 8 + 2) * 512;
    Bytes expect = AddressedImage(at + 512);
    expect.erase(expect.begin(), expect.begin() + at);
    ASSERT_EQ(fdd.SeekSector(4, 1, 2), 512);
    for (uint32_t i = 0; i < 512; ++i) {
        b = static_cast<uint8_t>(i * 3);
        if (i % 3 == 0)
            fdd.Write(&b, 1), expect[i] = b;
        else
            ASSERT_EQ((fdd.Read(&b, 1), b), expect[i]) << i;
    }
    EXPECT_EQ(fdd.Read(&b, 1), 0u);
    const Bytes file = ReadFile(raw.dir / "disk.img");
    EXPECT_EQ(Bytes(file.begin() + at, file.begin() + at + 512), expect);
    ASSERT_EQ(fdd.SeekSector(4, 1, 2), 512);
    EXPECT_EQ(fdd.Read(expect.data(), 511), 511u);
    EXPECT_EQ(fdd.Read(expect.data(), 4), 1u); // a read stops at the sector's end
}

TEST(RawImage, RecognitionByNameWhenTheSizeIsUnknown) {
    const struct {
        const char* name;
        uint32_t size;
        int format;
    } cases[] = {{"a.d88", 590336, 2},
                 {"a.img", 4000, -1},
                 {"a.D88", 4000, 13},
                 {"a", 4000, 13},
                 {"a.d88.x", 4000, -1}};
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.name << " " << k.size);
        OpenImage image(Bytes(k.size, 0), k.name);
        EXPECT_EQ(image.fdd.m_nFormat, k.format);
        EXPECT_EQ(image.fdd.HasTrack(0, 0), k.format == 2);
    }
    CFileFdd missing;
    EXPECT_FALSE(missing.Open("/nonexistent/x.d88", CFile::modeReadWrite));
}

TEST(FormattedSector, FillAddLimitsAndForeignIds) {
    CFileFdd fdd;
    CFddSect s;
    s.m_nSize = 256;
    auto add = [&](int c, int h, int r) {
        s.m_C = uint8_t(c), s.m_H = uint8_t(h), s.m_R = uint8_t(r);
        return fdd.AddSector(s);
    };
    EXPECT_FALSE(add(0, 0, 0) || add(0, 0, 255) || add(82, 0, 1));
    EXPECT_TRUE(fdd.m_tracks.empty());
    ASSERT_TRUE(add(1, 0, 3));
    EXPECT_EQ(ReadSector(fdd, 1, 0, 3), Bytes(256, 0xE4));
    EXPECT_EQ(ReadSector(fdd, 1, 0, 1), Bytes{}); // empty slot
    ASSERT_EQ(fdd.SeekSector(1, 0, 2), 256);
    fdd.Write(Pattern(256, 7).data(), 256);
    EXPECT_EQ(ReadSector(fdd, 1, 0, 3), Pattern(256, 7));
    EXPECT_EQ(fdd.m_nCylinders, 3); // the track count
    EXPECT_EQ(fdd.m_nSectors, 3);
    // H 2 lands on the track of C1 H0 by its index but never matches its head.
    ASSERT_TRUE(add(0, 2, 1));
    EXPECT_EQ(fdd.SeekSector(1, 0, 0), -1);
    EXPECT_TRUE(add(81, 1, 254));
    EXPECT_EQ(fdd.m_tracks.size(), 164u);
}

// The controllers reshape a track while one of its sectors may be selected.
TEST(FormattedSector, ReshapingATrackDropsTheSelection) {
    OpenImage raw(AddressedImage(327680));
    uint8_t b;
    ASSERT_EQ(raw.fdd.SeekSector(3, 0, 4), 256);
    raw.fdd.m_tracks[6].m_sects.clear();
    EXPECT_EQ(raw.fdd.Read(&b, 1), 0xFFFFFFFFu);
    EXPECT_FALSE(raw.fdd.HasTrack(3, 0));
    ASSERT_EQ(raw.fdd.SeekSector(3, 1, 4), 256);
    CFddSect s;
    s.m_C = 3, s.m_H = 1, s.m_R = 5, s.m_nSize = 128;
    ASSERT_TRUE(raw.fdd.AddSector(s));
    EXPECT_EQ(raw.fdd.Read(&b, 1), 0xFFFFFFFFu);
}

} // namespace
