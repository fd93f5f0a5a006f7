#include "fdc_fixture.h"
#include "tests/floppy/fdd_test_util.h"

namespace {

constexpr uint32_t kTrackAt = 0x40000;

class WriteTrack : public FdcTest {
protected:
    // Puts the track into RAM and formats it on unit A (drive 0, side 0) through DMA 0.
    uint8_t FormatA(const TrackBuilder& t, uint8_t track) {
        std::copy(t.bytes.begin(), t.bytes.end(), m_board->m_ram + kTrackAt);
        SetDma(0, kTrackAt, int(t.bytes.size()), 0x04);
        Out(0x19, track);
        Out(0x18, 0xF0);
        return In(0x18);
    }
};

TEST_F(WriteTrack, FormattedTrackIsSavedAsD88AndReadsBackAfterReopening) {
    AttachFloppy(4, "disk.img", PatternImage(kRow0Bytes));
    TrackBuilder t;
    for (uint8_t r = 1; r <= 16; ++r)
        t.Sector(0, 0, r, 1, 256);
    t.Fill({{200, 0x4E}});
    EXPECT_EQ(FormatA(t, 0), 0x00);

    NewBoard(); // the old board closes its images: the formatted disk is rewritten
    CFileFdd* fdd = AttachFloppy(4, "disk.img", {});
    EXPECT_EQ(ReadSector(*fdd, 0, 0, 5), Bytes(256, 0xE4));
    EXPECT_EQ(ReadSector(*fdd, 0, 1, 1), PatternImage(256, 4096));
}

TEST_F(WriteTrack, StopsAtEachUnitsByteLimit) {
    for (const FdcUnit& u : kFdcUnits) {
        SCOPED_TRACE(u.name);
        CFileFdd* fdd = AttachFloppy(u.slot, u.name, PatternImage(kRow0Bytes));
        TrackBuilder t;
        for (int r = 1; r <= 30; ++r)
            t.Sector(3, 0, uint8_t(r), 1, 256);
        ASSERT_GT(t.bytes.size(), size_t(u.trackLimit));
        std::copy(t.bytes.begin(), t.bytes.end(), m_board->m_ram + kTrackAt);
        Out(u.side, 0);
        Out(u.base + 1, 3);
        SetDma(u.channel, kTrackAt, 12000, 0x00);
        Out(u.base, 0xF0);
        EXPECT_EQ(In(u.base), 0x20); // no DMA for the unit: write fault, track untouched
        EXPECT_FALSE(fdd->m_bModified);

        Out(uint8_t(0x50 + u.channel), 0x04);
        Out(u.base, 0xF0);
        EXPECT_EQ(In(u.base), 0x00);
        EXPECT_EQ(DmaCount(u.channel), 12000 - u.trackLimit);
        for (int r = 1; r <= 30; ++r)
            EXPECT_EQ(fdd->SeekSector(3, 0, r - 1),
                      t.ends[size_t(r - 1)] < size_t(u.trackLimit) ? 256 : -1)
                << "R " << r;
    }
}

TEST_F(WriteTrack, KeepsOnlySectorsOfThisTrackInPhysicalOrder) {
    CFileFdd* fdd = AttachFloppy(4, "disk", PatternImage(kRow0Bytes));
    TrackBuilder t;
    t.Sector(3, 0, 1, 1, 256);
    t.Sector(4, 0, 2, 1, 256);    // another cylinder
    t.Sector(3, 1, 3, 1, 256);    // another head
    t.Sector(3, 0, 0xFF, 1, 256); // R 255
    t.Sector(3, 0, 7, 2, 512);
    t.Data(256);                  // a data field without an ID
    t.Sector(3, 0, 4, 0, 100);    // the size is what the data field holds
    t.Sector(3, 0, 5, 1, 256, 4); // four zeros are no gap before a mark
    t.Sector(3, 0, 6, 1, 256, 5); // five are
    EXPECT_EQ(FormatA(t, 3), 0x00);
    // sector slot (R - 1): N, size, physical index; slots 1, 2 and 4 stay empty
    std::vector<std::array<int, 3>> got, want = {{1, 256, 0}, {0, 0, 0},   {0, 0, 0},  {0, 100, 2},
                                                 {0, 0, 0},   {1, 256, 3}, {2, 512, 1}};
    for (const CFddSect& s : fdd->m_tracks[6].m_sects)
        got.push_back({s.m_nSize ? s.m_N : 0, s.m_nSize, s.m_nSize ? s.m_nIndex : 0});
    EXPECT_EQ(got, want);
    EXPECT_TRUE(fdd->HasTrack(4, 0)); // other tracks untouched

    // A track of foreign sectors only is erased: left empty, a change the image keeps, the
    // rest of the disk as it was.
    CFileFdd* other = AttachFloppy(5, "other.img", PatternImage(kRow0Bytes));
    Out(0x1D, 1);
    TrackBuilder f;
    f.Sector(9, 0, 1, 1, 256);
    EXPECT_EQ(FormatA(f, 2), 0x00);
    EXPECT_FALSE(other->HasTrack(2, 0));
    EXPECT_TRUE(other->HasUnsavedChanges());
    EXPECT_NE(other->Changes(), 0u) << "not counted: a copy from before would pass for current";
    NewBoard();
    other = AttachFloppy(5, "other.img", {});
    EXPECT_FALSE(other->HasTrack(2, 0));
    for (int t = 0; t < 80; ++t)
        for (int r = 1; r <= 16 && t != 4; ++r)
            ASSERT_EQ(ReadSector(*other, t / 2, t % 2, r),
                      PatternImage(256, uint32_t(t * 16 + r - 1) * 256))
                << "C " << t / 2 << " H " << t % 2 << " R " << r;
}

} // namespace
