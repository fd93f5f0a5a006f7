// Raw images: recognition, the offsets of every geometry, sector selection and moves.
#include "fdd_test_util.h"
#include "floppy/raw_geometry.h"

namespace {

struct OpenRaw {
    ScratchDir dir;
    CFileFdd fdd;
    explicit OpenRaw(int row) {
        WriteFile(dir / "disk.img", AddressedImage(g_fddGeometry[row].m_nImageBytes));
        EXPECT_TRUE(fdd.Open(dir / "disk.img", CFile::modeReadWrite));
    }
};

TEST(RawImage, KnownOffsets) {
    const struct {
        int row, c, h, r;
        uint32_t offset;
        int size;
    } cases[] = {
        {0, 0, 1, 17, 4096, 256}, // the same as R 1
        {0, 0, 1, 1, 4096, 256},
        {1, 3, 1, 5, ((3 * 2 + 1) * 26 + 4) * 128, 128},
        {12, 79, 1, 18, 1474560 - 512, 512},
        {4, 0, 0, 26, 3200, 128}, // track 0 side 0 single density
        {4, 0, 1, 1, 3328, 256},
        {4, 1, 0, 1, 9984, 256},
        {2, 1, 0, 1, 6656, 256},
        {11, 76, 1, 8, 1261568 - 1024, 1024},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message()
                     << "row " << k.row << " C" << k.c << " H" << k.h << " R" << k.r);
        OpenRaw raw(k.row);
        EXPECT_EQ(raw.fdd.m_nFormat, k.row);
        const Bytes data = ReadSector(raw.fdd, k.c, k.h, k.r);
        ASSERT_EQ(data.size(), static_cast<size_t>(k.size));
        EXPECT_EQ(Le32(data, 0), k.offset / 4);
        EXPECT_EQ(Le32(data, data.size() - 4), (k.offset + k.size - 4) / 4);
    }
}

TEST(RawImage, SelectionAndByteMoves) {
    OpenRaw raw(7);
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
        ScratchDir dir;
        WriteFile(dir / k.name, Bytes(k.size, 0));
        CFileFdd fdd;
        ASSERT_TRUE(fdd.Open(dir / k.name, CFile::modeReadWrite));
        EXPECT_EQ(fdd.m_nFormat, k.format);
        EXPECT_EQ(fdd.HasTrack(0, 0), k.format == 2);
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
    OpenRaw raw(0);
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
