// Raw images: recognition by size, the offsets of every geometry, sector selection
// rules and the byte moves of Read and Write.
#include <gtest/gtest.h>

#include "fdd_test_util.h"
#include "floppy/raw_geometry.h"

namespace {

// Every 4-byte word of the image holds its own offset / 4, so any sector read tells
// where in the file it came from.
Bytes AddressedImage(uint32_t size) {
    Bytes b(size);
    for (uint32_t o = 0; o < size; o += 4)
        PutLe32(b, o, o / 4);
    return b;
}

struct OpenRaw {
    ScratchDir dir;
    CFileFdd fdd;
    explicit OpenRaw(int row, const std::string& name = "disk.img") {
        WriteFile(dir / name, AddressedImage(g_fddGeometry[row].m_nImageBytes));
        EXPECT_TRUE(fdd.Open(dir / name, CFile::modeReadWrite));
    }
};

TEST(RawImage, KnownOffsets) {
    struct Case {
        int row, c, h, r;
        uint32_t offset;
        int size;
    } cases[] = {
        {0, 0, 1, 17, 4096, 256}, // side-1 numbering
        {0, 0, 1, 1, 4096, 256},  //
        {0, 39, 1, 16, 327680 - 256, 256},
        {1, 3, 1, 5, ((3 * 2 + 1) * 26 + 4) * 128, 128},
        {7, 10, 0, 8, ((10 * 2 + 0) * 8 + 7) * 512, 512},
        {12, 79, 1, 18, 1474560 - 512, 512},
        {4, 0, 0, 26, 3200, 128},
        {4, 0, 1, 1, 3328, 256},
        {4, 1, 0, 1, 9984, 256},
        {2, 0, 1, 1, 3328, 128},
        {2, 1, 0, 1, 6656, 256},
        {2, 76, 1, 15, 590336 - 256, 256},
        {3, 1, 0, 1, 6656, 512},
        {6, 1, 0, 1, 9984, 1024},
        {9, 0, 1, 1, 26 * 256, 256}, // same geometry as row 4, plain cylinder 0
        {11, 76, 1, 8, 1261568 - 1024, 1024},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("row " + std::to_string(k.row) + " C" + std::to_string(k.c) + " H" +
                     std::to_string(k.h) + " R" + std::to_string(k.r));
        OpenRaw raw(k.row);
        EXPECT_EQ(raw.fdd.m_nFormat, k.row);
        Bytes data = ReadSector(raw.fdd, k.c, k.h, k.r);
        ASSERT_EQ(data.size(), static_cast<size_t>(k.size));
        EXPECT_EQ(Le32(data, 0), k.offset / 4);
        EXPECT_EQ(Le32(data, data.size() - 4), (k.offset + k.size - 4) / 4);
    }
}

// In layout order the sectors of every row tile the whole file, each with the size code
// of its size.
TEST(RawImage, EveryGeometryTilesItsFile) {
    for (const FddGeometry& g : g_fddGeometry) {
        SCOPED_TRACE("row " + std::to_string(g.m_nId));
        OpenRaw raw(g.m_nId);
        CFileFdd& fdd = raw.fdd;
        EXPECT_EQ(fdd.m_nCylinders, g.m_nCylinders);
        uint32_t next = 0;
        for (int c = 0; c < g.m_nCylinders; ++c) {
            for (int h = 0; h < 2; ++h) {
                ASSERT_TRUE(fdd.HasTrack(c, h));
                const size_t count = fdd.m_tracks[static_cast<size_t>(c * 2 + h)].m_sects.size();
                for (int r = 1; r <= static_cast<int>(count); ++r) {
                    const int size = fdd.SeekSector(c, h, r - 1);
                    ASSERT_GT(size, 0);
                    const CFddSect& s = fdd.m_tracks[static_cast<size_t>(c * 2 + h)].m_sects[r - 1];
                    EXPECT_EQ(128 << s.m_N, size);
                    uint32_t word;
                    ASSERT_EQ(fdd.Read(&word, 4), 4u);
                    ASSERT_EQ(word, next / 4);
                    next += static_cast<uint32_t>(size);
                }
            }
        }
        EXPECT_EQ(next, g.m_nImageBytes);
        EXPECT_FALSE(fdd.HasTrack(g.m_nCylinders, 0));
    }
}

TEST(RawImage, SelectionRefusals) {
    OpenRaw raw(0);
    CFileFdd& fdd = raw.fdd;
    EXPECT_EQ(fdd.SeekSector(0, 0, 16), -1); // R 17 on head 0
    EXPECT_EQ(fdd.SeekSector(0, 1, 32), -1); // R 33 on head 1
    EXPECT_EQ(fdd.SeekSector(0, 0, -1), -1);
    EXPECT_EQ(fdd.SeekSector(40, 0, 0), -1);
    EXPECT_EQ(fdd.SeekSector(-1, 0, 0), -1);
    EXPECT_EQ(fdd.SeekSector(0, 2, 0), -1);
    // After a refusal nothing is selected.
    uint8_t b = 0x55;
    EXPECT_EQ(fdd.Read(&b, 1), 0xFFFFFFFFu);
    fdd.Write(&b, 1);
    EXPECT_EQ(b, 0x55);
}

TEST(RawImage, ReadStopsAtTheSectorEnd) {
    OpenRaw raw(1);
    CFileFdd& fdd = raw.fdd;
    ASSERT_EQ(fdd.SeekSector(0, 0, 0), 128);
    Bytes buf(128);
    EXPECT_EQ(fdd.Read(buf.data(), 127), 127u);
    EXPECT_EQ(fdd.Read(buf.data(), 4), 1u);
    EXPECT_EQ(fdd.Read(buf.data(), 4), 0u);
}

TEST(RawImage, WritesReachTheFileAtOnceAndCloseKeepsItRaw) {
    OpenRaw raw(8);
    CFileFdd& fdd = raw.fdd;
    const Bytes data = Pattern(512, 0x10);
    ASSERT_EQ(fdd.SeekSector(2, 1, 3), 512);
    fdd.Write(data.data(), 200);
    fdd.Write(data.data() + 200, 400); // 312 of these fit
    EXPECT_FALSE(fdd.m_bModified);
    const uint32_t at = ((2 * 2 + 1) * 9 + 3) * 512;
    Bytes file = ReadFile(raw.dir / "disk.img");
    EXPECT_TRUE(std::equal(data.begin(), data.end(), file.begin() + at));
    EXPECT_EQ(Le32(file, at + 512), (at + 512) / 4);
    fdd.Close();
    EXPECT_EQ(ReadFile(raw.dir / "disk.img"), file);
}

// The controllers move one byte per call, and a transfer may mix reads and writes.
TEST(RawImage, ByteAtATimeMovesInterleaved) {
    OpenRaw raw(7);
    CFileFdd& fdd = raw.fdd;
    const uint32_t at = ((4 * 2 + 1) * 8 + 2) * 512;
    const Bytes file = ReadFile(raw.dir / "disk.img");
    Bytes expect(file.begin() + at, file.begin() + at + 512);
    ASSERT_EQ(fdd.SeekSector(4, 1, 2), 512);
    for (uint32_t i = 0; i < 512; ++i) {
        uint8_t b = static_cast<uint8_t>(i * 3);
        if (i % 3 == 0) {
            fdd.Write(&b, 1);
            expect[i] = b;
        } else {
            ASSERT_EQ(fdd.Read(&b, 1), 1u);
            ASSERT_EQ(b, expect[i]) << i;
        }
    }
    EXPECT_EQ(ReadSector(fdd, 4, 1, 3), expect);
    EXPECT_EQ(Le32(ReadSector(fdd, 4, 1, 4), 0), (at + 512) / 4);
}

TEST(RawImage, RecognitionByNameWhenTheSizeIsUnknown) {
    struct Case {
        const char* name;
        uint32_t size;
        int format;
    } cases[] = {
        {"a.img", 590336, 2}, {"a.d88", 590336, 2},    {"a.img", 4000, -1}, {"a.D88", 4000, 13},
        {"a", 4000, 13},      {"a.d88.bak", 4000, -1}, {".d88", 4000, 13},  {"a.img", 0, -1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.name) + " " + std::to_string(k.size));
        ScratchDir dir;
        WriteFile(dir / k.name, Bytes(k.size, 0));
        CFileFdd fdd;
        ASSERT_TRUE(fdd.Open(dir / k.name, CFile::modeReadWrite));
        EXPECT_EQ(fdd.m_nFormat, k.format);
        if (k.format != 2) {
            EXPECT_FALSE(fdd.HasTrack(0, 0));
            EXPECT_EQ(fdd.SeekSector(0, 0, 0), -1);
        }
    }
    CFileFdd missing;
    EXPECT_FALSE(missing.Open("/nonexistent/dir/x.d88", CFile::modeReadWrite));
}

TEST(FormattedSector, FirstSelectionFillsWithE4AndKeepsWrites) {
    CFileFdd fdd;
    CFddSect s;
    s.m_C = 1, s.m_H = 0, s.m_R = 3, s.m_N = 1, s.m_nSize = 256, s.m_nIndex = 0;
    ASSERT_TRUE(fdd.AddSector(s));
    EXPECT_EQ(ReadSector(fdd, 1, 0, 3), Bytes(256, 0xE4));
    EXPECT_EQ(ReadSector(fdd, 1, 0, 1), Bytes{}); // empty slot
    const Bytes data = Pattern(256, 7);
    ASSERT_EQ(fdd.SeekSector(1, 0, 2), 256);
    fdd.Write(data.data(), 256);
    EXPECT_EQ(ReadSector(fdd, 1, 0, 3), data);
    EXPECT_EQ(fdd.m_nCylinders, 3); // raised to the track count
    EXPECT_EQ(fdd.m_nSectors, 3);
    EXPECT_EQ(fdd.m_nSize, 256);
}

TEST(FormattedSector, AddSectorLimitsAndForeignIds) {
    CFileFdd fdd;
    CFddSect s;
    s.m_nSize = 128;
    auto add = [&](int c, int h, int r) {
        s.m_C = static_cast<uint8_t>(c), s.m_H = static_cast<uint8_t>(h);
        s.m_R = static_cast<uint8_t>(r);
        return fdd.AddSector(s);
    };
    EXPECT_FALSE(add(0, 0, 0));
    EXPECT_FALSE(add(0, 0, 255));
    EXPECT_FALSE(add(82, 0, 1));
    EXPECT_TRUE(fdd.m_tracks.empty());
    EXPECT_TRUE(add(81, 1, 254));
    EXPECT_EQ(fdd.m_tracks.size(), 164u);
    // H 2 lands on track C1 H0 by its index but never matches that track's head.
    EXPECT_TRUE(add(0, 2, 1));
    EXPECT_TRUE(fdd.HasTrack(1, 0));
    EXPECT_EQ(fdd.SeekSector(1, 0, 0), -1);
}

// The controllers reshape a track while a sector of it may be selected.
TEST(FormattedSector, ReshapingATrackDropsTheSelection) {
    OpenRaw raw(0);
    CFileFdd& fdd = raw.fdd;
    uint8_t b;
    ASSERT_EQ(fdd.SeekSector(3, 0, 4), 256);
    fdd.m_tracks[6].m_sects.clear();
    EXPECT_EQ(fdd.Read(&b, 1), 0xFFFFFFFFu);
    EXPECT_FALSE(fdd.HasTrack(3, 0));

    ASSERT_EQ(fdd.SeekSector(3, 1, 4), 256);
    CFddSect s;
    s.m_C = 3, s.m_H = 1, s.m_R = 5, s.m_nSize = 128;
    ASSERT_TRUE(fdd.AddSector(s));
    EXPECT_EQ(fdd.Read(&b, 1), 0xFFFFFFFFu);
}

} // namespace
