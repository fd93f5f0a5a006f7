// D88 images: the rewrite after a format and reading it back, damaged and hostile files,
// and the exact bytes of a rewrite.
#include "fdd_test_util.h"

namespace fs = std::filesystem;

namespace {

void WriteSector(CFileFdd& fdd, int c, int h, int r, const Bytes& data) {
    ASSERT_EQ(fdd.SeekSector(c, h, r - 1), static_cast<int>(data.size()));
    fdd.Write(data.data(), data.size());
}

std::vector<Sect> AllSectors(CFileFdd& fdd) {
    std::vector<Sect> v;
    for (int t = 0; t < 164; ++t)
        for (int r = 1; r <= 254; ++r)
            if (int size = ReadSector(fdd, t / 2, t % 2, r).size(); size > 0)
                v.push_back({t / 2, t % 2, r, size});
    return v;
}

// A new image formatted on some tracks: the table names each track that holds slots, in
// turn; its sectors follow in physical order with the track's slot count, unwritten ones
// $E4. Recognised by its signature whatever its name.
TEST(D88Save, NewImageInPhysicalOrderWithSlotCountsAndEmptyTracks) {
    TempDir dir("fdd");
    const std::string path = dir / "new.d88";
    CFileFdd fdd;
    ASSERT_TRUE(fdd.Open(path, CFile::modeCreateReadWrite));
    EXPECT_EQ(fdd.m_nFormat, CFileFdd::kFormatD88);
    std::vector<std::array<int, 2>> layout;
    for (int r = 1; r <= 16; ++r)
        layout.push_back({r, 256});
    FormatTrack(fdd, 0, 0, layout);
    WriteSector(fdd, 0, 0, 3, Pattern(256, 0x30));
    FormatTrack(fdd, 0, 1, {{1, 0}});                       // slots, no data
    FormatTrack(fdd, 2, 1, {{5, 128}, {1, 256}, {2, 512}}); // written 5, 1, 2
    FormatTrack(fdd, 3, 0, {{1, 1024}, {1, 256}});          // the later R 1 survives
    fs::permissions(path, fs::perms(0640));
    fdd.Close();
    EXPECT_EQ(fdd.m_nSize, 512); // the largest sector written, not the largest seen

    const uint32_t track1 = 688 + 16 * 272, track6 = track1 + 48 + 896;
    Bytes expect = D88Header({688, track1, track1, track6}, track6 + 272);
    auto record = [&](uint8_t c, uint8_t h, int r, int size, uint16_t slots) {
        D88Record(expect, c, h, uint8_t(r), uint16_t(size), 0, slots);
        expect.resize(expect.size() + size, 0xE4);
    };
    for (int r = 1; r <= 16; ++r)
        record(0, 0, r, 256, 16);
    std::copy_n(Pattern(256, 0x30).begin(), 256, expect.begin() + 688 + 2 * 272 + 16);
    for (auto [r, size] : {std::array{5, 128}, {1, 256}, {2, 512}})
        record(2, 1, r, size, 5);
    record(3, 0, 1, 256, 1);
    EXPECT_EQ(ReadFile(path), expect);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_EQ(dir.Count(), 1);

    fs::rename(path, dir / "renamed.img");
    CFileFdd back;
    ASSERT_TRUE(back.Open(dir / "renamed.img", CFile::modeReadWrite));
    EXPECT_EQ(back.m_nFormat, CFileFdd::kFormatD88);
    EXPECT_EQ(back.m_nSectors, 16);
    EXPECT_EQ(ReadSector(back, 0, 0, 3), Pattern(256, 0x30));
    EXPECT_EQ(ReadSector(back, 0, 0, 16), Bytes(256, 0xE4));
}

// Several tracks in one run: their physical positions pass each track's slot count, and
// the sectors must still be written back, in the order the file had them.
TEST(D88Save, SectorsOfASharedRunSurviveARewriteInTheirOrder) {
    Bytes img = D88Header({688});
    for (uint8_t h : {0, 1})
        for (uint8_t r : {2, 1})
            D88Record(img, 0, h, r, 128);
    PutLe32(img, 28, img.size());
    OpenImage image(img, "s.d88");
    FormatTrack(image.fdd, 1, 0, {{1, 128}});
    image.fdd.Close();
    const Bytes file = ReadFile(image.dir / "s.d88");
    std::vector<int> order; // R of each record as the file holds them
    for (size_t at = 688; at + 16 <= file.size(); at += 16 + (file[at + 14] | file[at + 15] << 8))
        order.push_back(file[at + 2]);
    EXPECT_EQ(order, (std::vector<int>{2, 1, 2, 1, 1}));
    CFileFdd back;
    ASSERT_TRUE(back.Open(image.dir / "s.d88", CFile::modeReadWrite));
    EXPECT_EQ(ReadSector(back, 0, 1, 2), Pattern(128, 2));
    EXPECT_EQ(AllSectors(back).size(), 5u);
}

TEST(D88Load, HostileFilesGiveADefinedDisk) {
    struct Case {
        const char* name;
        Bytes img;
        std::vector<Sect> present;
    };
    std::vector<Case> cases;
    auto add = [&](const char* name, Bytes img, std::vector<Sect> present,
                   std::function<void(Bytes&)> records) {
        records(img);
        if (Le32(img, 28) == 0) PutLe32(img, 28, img.size());
        cases.push_back({name, img, present});
    };
    auto two = [](Bytes& b) { D88Record(b, 0, 0, 1, 128), D88Record(b, 0, 0, 2, 256); };
    add("short header", Bytes(100, 0), {}, [](Bytes&) {});
    add("table begins with 0", D88Header({0, 688}), {}, two);
    add("entries out of order", D88Header({688 + 144, 688}), {{0, 0, 1, 128}, {0, 0, 2, 256}}, two);
    add("entry past the end", D88Header({688, 1000000}), {{0, 0, 1, 128}, {0, 0, 2, 256}}, two);
    add("entry into the header", D88Header({40}), {}, two);
    add("disk size too small", D88Header({688}, 688 + 144), {{0, 0, 1, 128}}, two);
    add("disk size too large", D88Header({688}, ~0u), {{0, 0, 1, 128}, {0, 0, 2, 256}}, two);
    add("torn record header", D88Header({688}), {{0, 0, 1, 128}},
        [](Bytes& b) { D88Record(b, 0, 0, 1, 128), b.resize(b.size() + 10, 0x77); });
    add("R 0, R 255, C 200, absurd count", D88Header({688}), {{0, 0, 1, 64}, {81, 1, 2, 64}},
        [](Bytes& b) {
            D88Record(b, 0, 0, 0, 64), D88Record(b, 0, 0, 255, 64), D88Record(b, 200, 0, 1, 64);
            D88Record(b, 0, 0, 1, 64, -1, 65535), D88Record(b, 81, 1, 2, 64);
        });
    add("data beyond the end", D88Header({688}), {{0, 0, 1, 65535}},
        [](Bytes& b) { D88Record(b, 0, 0, 1, 65535, 10); });
    std::vector<uint32_t> many(164);
    for (int e = 0; e < 164; ++e)
        many[e] = 688 + 16 * e;
    add("every entry walks thousands of records", D88Header(many, ~0u), {{0, 0, 2, 16}},
        [](Bytes& b) {
            for (int k = 0; k < 40000; ++k)
                D88Record(b, 0, 0, 1, 0);
            D88Record(b, 0, 0, 2, 16);
        });

    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        OpenImage image(k.img, "h.d88");
        EXPECT_EQ(image.fdd.m_nFormat, CFileFdd::kFormatD88);
        EXPECT_EQ(AllSectors(image.fdd), k.present);
        image.fdd.Close();
        EXPECT_EQ(ReadFile(image.dir / "h.d88"), k.img);
    }
}

// Runs that all walk the same 1 MB of records, each claiming 65535 bytes under an ID of its
// own: the sectors loaded, and a rewrite of them after a format, stay within what a file
// held would take.
TEST(D88Load, OverlappingRunsCostNoMoreThanAFile) {
    constexpr uint32_t kRecord = 16 + 65535, kRuns = 82, kDeep = 16;
    Bytes img = D88Header({});
    img.resize(688 + kDeep * kRecord + kRuns * 16);
    for (uint32_t j = 0; j < kRuns; ++j) {
        PutLe32(img, 32 + 8 * j, 688 + 16 * j); // run 2j; run 2j + 1 is empty
        PutLe32(img, 36 + 8 * j, uint32_t(img.size()));
        for (uint32_t k = 0; k < kDeep; ++k) {
            uint8_t* h = &img[688 + k * kRecord + 16 * j];
            h[0] = uint8_t(j), h[1] = uint8_t(k & 1), h[2] = uint8_t(k / 2 + 1), h[3] = 3;
            h[14] = h[15] = 0xFF;
        }
    }
    PutLe32(img, 28, uint32_t(img.size()));
    OpenImage image(img, "h.d88");
    uint64_t loaded = 0;
    for (const CFddTrack& t : image.fdd.m_tracks)
        for (const CFddSect& s : t.m_sects)
            loaded += s.m_nSize;
    EXPECT_GT(loaded, img.size()) << "the runs do not overlap";
    EXPECT_LE(loaded, CFileFdd::kMaxHeld);
    FormatTrack(image.fdd, 0, 0, {{1, 256}});
    image.fdd.Close();
    EXPECT_LE(fs::file_size(image.dir / "h.d88"), CFileFdd::kMaxHeld + 272);
}

TEST(D88Load, DataBeyondTheEndReadsAsE4AndWritesExtendTheFile) {
    Bytes img = D88Header({688}, 688 + 16 + 256);
    D88Record(img, 0, 0, 1, 256, 100);
    OpenImage image(img, "cut.d88");
    CFileFdd& fdd = image.fdd;
    Bytes expect = Pattern(100, 1);
    expect.resize(256, 0xE4);
    EXPECT_EQ(ReadSector(fdd, 0, 0, 1), expect);
    // Writing only the last bytes leaves the gap reading as before.
    ASSERT_EQ(fdd.SeekSector(0, 0, 0), 256);
    fdd.Read(img.data(), 250);
    fdd.Write(Pattern(6, 9).data(), 6);
    std::copy_n(Pattern(6, 9).begin(), 6, expect.begin() + 250);
    EXPECT_EQ(ReadSector(fdd, 0, 0, 1), expect);
    fdd.Close();
    EXPECT_EQ(fs::file_size(image.dir / "cut.d88"), 688u + 16 + 256);
}

} // namespace
