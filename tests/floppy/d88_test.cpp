// D88 images: the rewrite after a format, reading it back, damaged and hostile files,
// and a rewrite that fails halfway.
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "fdd_test_util.h"
#include "floppy/raw_geometry.h"

namespace fs = std::filesystem;

namespace {

struct Fmt {
    int r, size;
};

// What the format command does to a track: empty it, add its sectors in physical order.
void FormatTrack(CFileFdd& fdd, int c, int h, std::initializer_list<Fmt> sectors) {
    const size_t t = static_cast<size_t>(c * fdd.m_nHeads + h);
    if (t < fdd.m_tracks.size()) fdd.m_tracks[t].m_sects.clear();
    int k = 0;
    for (const Fmt& f : sectors) {
        CFddSect s;
        s.m_C = static_cast<uint8_t>(c), s.m_H = static_cast<uint8_t>(h);
        s.m_R = static_cast<uint8_t>(f.r), s.m_N = FddSizeCode(f.size);
        s.m_nSize = static_cast<uint16_t>(f.size), s.m_nIndex = k++;
        if (fdd.AddSector(s)) fdd.m_bModified = true;
    }
}

void WriteSector(CFileFdd& fdd, int c, int h, int r, const Bytes& data) {
    ASSERT_EQ(fdd.SeekSector(c, h, r - 1), static_cast<int>(data.size()));
    fdd.Write(data.data(), static_cast<uint32_t>(data.size()));
}

TEST(D88Save, NewImageFormattedOnOneTrack) {
    ScratchDir dir;
    const std::string path = dir / "new.d88";
    CFileFdd fdd;
    ASSERT_TRUE(fdd.Open(path, CFile::modeCreateReadWrite));
    EXPECT_EQ(fdd.m_nFormat, CFileFdd::kFormatD88);
    EXPECT_FALSE(fdd.HasTrack(0, 0));
    FormatTrack(fdd, 0, 0,
                {{1, 256},
                 {2, 256},
                 {3, 256},
                 {4, 256},
                 {5, 256},
                 {6, 256},
                 {7, 256},
                 {8, 256},
                 {9, 256},
                 {10, 256},
                 {11, 256},
                 {12, 256},
                 {13, 256},
                 {14, 256},
                 {15, 256},
                 {16, 256}});
    WriteSector(fdd, 0, 0, 3, Pattern(256, 0x30));
    fs::permissions(path, fs::perms(0640));
    fdd.Close();

    const Bytes file = ReadFile(path);
    ASSERT_EQ(file.size(), 5040u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 9), std::string("ORLO FDD", 9));
    EXPECT_EQ(Le32(file, 28), 5040u);
    EXPECT_EQ(Le32(file, 32), 688u);
    for (int e = 1; e < 164; ++e)
        EXPECT_EQ(Le32(file, 32 + 4 * e), 0u) << e;
    for (int k = 0; k < 16; ++k) {
        const size_t at = 688 + 272 * k;
        EXPECT_EQ(file[at + 2], k + 1);
        EXPECT_EQ(file[at + 3], 1);
        EXPECT_EQ(Le16(file, at + 4), 16);
        EXPECT_EQ(Le16(file, at + 14), 256);
    }
    EXPECT_EQ(file[688 + 272 * 2 + 16], 0x30);
    EXPECT_EQ(file[688 + 16], 0xE4);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_EQ(dir.Count(), 1u);

    // Recognised by its signature whatever its name.
    fs::rename(path, dir / "renamed.img");
    CFileFdd back;
    ASSERT_TRUE(back.Open(dir / "renamed.img", CFile::modeReadWrite));
    EXPECT_EQ(back.m_nFormat, CFileFdd::kFormatD88);
    EXPECT_EQ(back.m_nSectors, 16);
    EXPECT_EQ(back.m_nSize, 256);
    EXPECT_EQ(ReadSector(back, 0, 0, 3), Pattern(256, 0x30));
    EXPECT_EQ(ReadSector(back, 0, 0, 16), Bytes(256, 0xE4));
    EXPECT_EQ(ReadSector(back, 0, 0, 17), Bytes{});
}

TEST(D88Save, PhysicalOrderSlotCountsAndEmptyTracks) {
    ScratchDir dir;
    const std::string path = dir / "order.d88";
    CFileFdd fdd;
    ASSERT_TRUE(fdd.Open(path, CFile::modeCreateReadWrite));
    FormatTrack(fdd, 0, 0, {{1, 0}});                       // slots, no data
    FormatTrack(fdd, 2, 1, {{5, 128}, {1, 256}, {2, 512}}); // written 5, 1, 2
    FormatTrack(fdd, 3, 0, {{1, 128}, {1, 256}});           // the later R 1 survives
    fdd.Close();

    const Bytes file = ReadFile(path);
    EXPECT_EQ(Le32(file, 32), 688u);
    EXPECT_EQ(Le32(file, 36), 688u); // the empty track's run has no record
    EXPECT_EQ(Le32(file, 40), 688u + 3 * 16 + 128 + 256 + 512);
    EXPECT_EQ(Le32(file, 44), 0u);
    const size_t recs[] = {688, 688 + 16 + 128, 688 + 32 + 128 + 256};
    const int rs[] = {5, 1, 2};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(file[recs[k] + 2], rs[k]);
        EXPECT_EQ(Le16(file, recs[k] + 4), 5);
    }
    const size_t last = Le32(file, 40);
    EXPECT_EQ(Le16(file, last + 14), 256);
    EXPECT_EQ(file.size(), last + 16 + 256);

    CFileFdd back;
    ASSERT_TRUE(back.Open(path, CFile::modeReadWrite));
    EXPECT_FALSE(back.HasTrack(0, 0));
    EXPECT_EQ(back.SeekSector(2, 1, 4), 128);
    EXPECT_EQ(back.SeekSector(2, 1, 2), -1);
    EXPECT_EQ(back.SeekSector(3, 0, 0), 256);
}

TEST(D88Save, FormattedRawImageBecomesD88AndKeepsItsData) {
    ScratchDir dir;
    Bytes raw(327680);
    for (uint32_t o = 0; o < raw.size(); o += 4)
        PutLe32(raw, o, o / 4);
    WriteFile(dir / "disk.img", raw);
    fs::create_symlink(dir / "disk.img", dir / "link.img");
    CFileFdd fdd;
    ASSERT_TRUE(fdd.Open(dir / "link.img", CFile::modeReadWrite));
    ASSERT_EQ(fdd.m_nFormat, 0);
    WriteSector(fdd, 5, 0, 2, Pattern(256, 0x99));
    FormatTrack(fdd, 1, 1, {{1, 1024}, {2, 1024}, {3, 1024}, {4, 1024}, {5, 1024}});
    fdd.Close();

    EXPECT_TRUE(fs::is_symlink(dir / "link.img"));
    const Bytes file = ReadFile(dir / "disk.img");
    EXPECT_EQ(file.size(), 688u + 79 * 16 * 272 + 5 * 1040);
    CFileFdd back;
    ASSERT_TRUE(back.Open(dir / "disk.img", CFile::modeReadWrite));
    EXPECT_EQ(back.m_nFormat, CFileFdd::kFormatD88);
    EXPECT_EQ(ReadSector(back, 5, 0, 2), Pattern(256, 0x99));
    EXPECT_EQ(Le32(ReadSector(back, 0, 1, 1), 0), 4096u / 4);
    EXPECT_EQ(Le32(ReadSector(back, 39, 1, 16), 0), (327680u - 256) / 4);
    EXPECT_EQ(ReadSector(back, 1, 1, 5), Bytes(1024, 0xE4));
    EXPECT_EQ(back.SeekSector(1, 1, 5), -1);
    EXPECT_EQ(back.m_nSectors, 16);
    EXPECT_EQ(back.m_nSize, 1024);
}

// A reader-friendly file may keep several tracks in one run; their sectors' physical
// positions then run past each track's slot count, and they must still be written back.
TEST(D88Save, SectorsOfASharedRunSurviveARewrite) {
    ScratchDir dir;
    const std::string path = dir / "shared.d88";
    WriteFile(path, D88Builder()
                        .Entry(0, 688)
                        .Record(0, 0, 1, 128, 0x10)
                        .Record(0, 0, 2, 128, 0x20)
                        .Record(0, 1, 1, 128, 0x30)
                        .Record(0, 1, 2, 128, 0x40)
                        .Done());
    CFileFdd fdd;
    ASSERT_TRUE(fdd.Open(path, CFile::modeReadWrite));
    FormatTrack(fdd, 1, 0, {{1, 128}});
    fdd.Close();
    CFileFdd back;
    ASSERT_TRUE(back.Open(path, CFile::modeReadWrite));
    EXPECT_EQ(ReadSector(back, 0, 0, 2), Pattern(128, 0x20));
    EXPECT_EQ(ReadSector(back, 0, 1, 1), Pattern(128, 0x30));
    EXPECT_EQ(ReadSector(back, 0, 1, 2), Pattern(128, 0x40));
    EXPECT_EQ(ReadSector(back, 1, 0, 1), Bytes(128, 0xE4));
}

struct Sect {
    int c, h, r, size;
};

struct Hostile {
    const char* name;
    Bytes image;
    std::vector<Sect> present; // every sector the disk must offer, and no other
};

std::vector<Hostile> HostileFiles() {
    std::vector<Hostile> v;
    v.push_back({"short header", Bytes(100, 0), {}});
    std::copy_n("ORLO FDD", 9, v.back().image.begin());
    v.push_back(
        {"table begins with 0", D88Builder().Entry(1, 688).Record(0, 0, 1, 128, 1).Done(), {}});
    {
        D88Builder b;
        b.Record(0, 0, 1, 128, 1);
        const uint32_t second = b.Here();
        b.Record(0, 0, 2, 256, 2).Entry(0, second).Entry(1, 688);
        v.push_back({"entries out of order", b.Done(), {{0, 0, 1, 128}, {0, 0, 2, 256}}});
    }
    v.push_back({"entry past the end",
                 D88Builder().Entry(0, 688).Entry(1, 1000000).Record(0, 0, 1, 128, 1).Done(),
                 {{0, 0, 1, 128}}});
    v.push_back({"entry into the header",
                 D88Builder().Entry(0, 40).Entry(1, 688).Record(0, 0, 1, 128, 1).Done(),
                 {{0, 0, 1, 128}}});
    {
        D88Builder b;
        b.Entry(0, 688).Record(0, 0, 1, 128, 1);
        b.img.resize(b.img.size() + 10, 0x77); // a torn record header
        v.push_back({"torn record header", b.Done(), {{0, 0, 1, 128}}});
    }
    v.push_back({"disk size too small",
                 D88Builder()
                     .Entry(0, 688)
                     .DiskSize(688 + 16 + 64)
                     .Record(0, 0, 1, 64, 1)
                     .Record(0, 0, 2, 64, 2)
                     .Done(),
                 {{0, 0, 1, 64}}});
    v.push_back({"disk size too large",
                 D88Builder()
                     .Entry(0, 688)
                     .DiskSize(0xFFFFFFFF)
                     .Record(0, 0, 1, 64, 1)
                     .Record(0, 0, 2, 64, 2)
                     .Done(),
                 {{0, 0, 1, 64}, {0, 0, 2, 64}}});
    v.push_back({"R 0 and R 255",
                 D88Builder()
                     .Entry(0, 688)
                     .Record(0, 0, 0, 64, 1)
                     .Record(0, 0, 255, 64, 1)
                     .Record(0, 0, 1, 64, 1)
                     .Done(),
                 {{0, 0, 1, 64}}});
    v.push_back({"absurd sectors in track",
                 D88Builder().Entry(0, 688).Record(1, 0, 2, 64, 1, -1, 65535).Done(),
                 {{1, 0, 2, 64}}});
    v.push_back({"cylinder beyond the table",
                 D88Builder().Entry(0, 688).Record(200, 0, 1, 64, 1).Record(81, 1, 1, 64, 1).Done(),
                 {{81, 1, 1, 64}}});
    {
        D88Builder b;
        for (int e = 0; e < 164; ++e)
            b.Entry(e, 688);
        b.Record(0, 0, 1, 128, 1).Record(0, 0, 2, 128, 2).DiskSize(0xFFFFFFFF);
        v.push_back({"every entry on one run", b.Done(), {{0, 0, 1, 128}, {0, 0, 2, 128}}});
    }
    v.push_back({"data beyond the end",
                 D88Builder().Entry(0, 688).Record(0, 0, 1, 65535, 1, 10).Done(),
                 {{0, 0, 1, 65535}}});
    {
        // Zero-size records: each entry walks tens of thousands of them.
        D88Builder b;
        for (int e = 0; e < 164; ++e)
            b.Entry(e, 688 + 16 * static_cast<uint32_t>(e));
        for (int k = 0; k < 40000; ++k)
            b.Record(0, 0, 1, 0, 0);
        b.Record(0, 0, 2, 16, 1).DiskSize(0xFFFFFFFF);
        v.push_back({"many empty records", b.Done(), {{0, 0, 2, 16}}});
    }
    return v;
}

TEST(D88Load, HostileFilesGiveADefinedDisk) {
    for (Hostile& k : HostileFiles()) {
        SCOPED_TRACE(k.name);
        ScratchDir dir;
        WriteFile(dir / "h.d88", k.image);
        CFileFdd fdd;
        ASSERT_TRUE(fdd.Open(dir / "h.d88", CFile::modeReadWrite));
        EXPECT_EQ(fdd.m_nFormat, CFileFdd::kFormatD88);
        std::vector<Sect> found;
        for (int c = 0; c < 82; ++c)
            for (int h = 0; h < 2; ++h)
                for (int r = 1; r <= 254; ++r)
                    if (int size = fdd.SeekSector(c, h, r - 1); size > 0) {
                        found.push_back({c, h, r, size});
                        Bytes data(static_cast<size_t>(size));
                        EXPECT_EQ(fdd.Read(data.data(), static_cast<uint32_t>(size)),
                                  static_cast<uint32_t>(size));
                    }
        ASSERT_EQ(found.size(), k.present.size());
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].c, k.present[i].c);
            EXPECT_EQ(found[i].h, k.present[i].h);
            EXPECT_EQ(found[i].r, k.present[i].r);
            EXPECT_EQ(found[i].size, k.present[i].size);
        }
        fdd.Close();
        EXPECT_EQ(ReadFile(dir / "h.d88"), k.image); // reading never changes the file
    }
}

TEST(D88Load, DataBeyondTheEndReadsAsE4AndWritesExtendTheFile) {
    ScratchDir dir;
    const std::string path = dir / "cut.d88";
    WriteFile(path, D88Builder().Entry(0, 688).Record(0, 0, 1, 256, 0x40, 100).Done());
    CFileFdd fdd;
    ASSERT_TRUE(fdd.Open(path, CFile::modeReadWrite));
    Bytes expect = Pattern(100, 0x40);
    expect.resize(256, 0xE4);
    EXPECT_EQ(ReadSector(fdd, 0, 0, 1), expect);

    // Writing only the last bytes leaves the gap reading as before.
    ASSERT_EQ(fdd.SeekSector(0, 0, 0), 256);
    uint8_t skip[250];
    ASSERT_EQ(fdd.Read(skip, sizeof skip), 250u);
    const uint8_t tail[6] = {1, 2, 3, 4, 5, 6};
    fdd.Write(tail, sizeof tail);
    std::copy_n(tail, 6, expect.begin() + 250);
    EXPECT_EQ(ReadSector(fdd, 0, 0, 1), expect);
    fdd.Close();
    EXPECT_EQ(ReadFile(path).size(), 688u + 16 + 256);
}

// The rewrite fails at several points (file size limit of the process); every time
// the original image stays as it was and no temporary file is left behind.
TEST(D88Save, FailedRewriteLeavesTheOriginal) {
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    for (rlim_t limit : {rlim_t{100}, rlim_t{5000}, rlim_t{300000}, rlim_t{345535}}) {
        SCOPED_TRACE(limit);
        ScratchDir dir;
        Bytes raw(327680);
        for (uint32_t o = 0; o < raw.size(); o += 4)
            PutLe32(raw, o, o / 4);
        WriteFile(dir / "disk.img", raw);
        CFileFdd fdd;
        ASSERT_TRUE(fdd.Open(dir / "disk.img", CFile::modeReadWrite));
        FormatTrack(fdd, 1, 1, {{1, 1024}});

        rlimit small = old;
        small.rlim_cur = limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool threw = false;
        try {
            fdd.Close();
        } catch (const CFileException& e) {
            threw = true;
            EXPECT_EQ(e.m_nErrno, EFBIG);
        }
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);

        EXPECT_TRUE(threw);
        EXPECT_FALSE(fdd.IsOpen());
        EXPECT_EQ(ReadFile(dir / "disk.img"), raw);
        EXPECT_EQ(dir.Count(), 1u);
        CFileFdd again;
        ASSERT_TRUE(again.Open(dir / "disk.img", CFile::modeReadWrite));
        EXPECT_EQ(again.m_nFormat, 0);
    }
    std::signal(SIGXFSZ, oldHandler);
}

} // namespace
