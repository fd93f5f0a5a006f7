// What a save keeps when writing the image's own file fails: the image is held in memory, the
// sectors the guest wrote are written again until a flush covers them, and rescue copies are
// the drive's own, named while they hold the image as it is and never put over a file of the
// user's.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fdd_test_util.h"
#include "full_disk.h"
#include "platform/file_save.h"
#include "private_mounts.h"
#include "tests/platform/guards.h"

namespace fs = std::filesystem;

namespace {

// The seam set for the guard's life, and none again after it, whatever failed.
class TestSeam {
public:
    explicit TestSeam(void (*seam)(const char*)) { g_pFileTestSeam = seam; }
    ~TestSeam() { g_pFileTestSeam = nullptr; }
    TestSeam(const TestSeam&) = delete;
    TestSeam& operator=(const TestSeam&) = delete;
};

Bytes Slice(const Bytes& b, uint64_t at, size_t n) {
    return at + n <= b.size() ? Bytes(b.begin() + at, b.begin() + at + n) : Bytes{};
}

// A flush that fails after the kernel dropped the pages it could not write back: the bytes
// the sector had before go back into the file through a descriptor of the test's own, and
// the flush fails (EIO).
struct LostWrite {
    static inline std::string path;
    static inline uint64_t offset = 0;
    static inline Bytes old;
    static inline int losses = 0; // flushes that came and took the write away
    static void Seam(const char* where) {
        if (std::string(where) != "flush") return;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0 && ::pwrite(fd, old.data(), old.size(), off_t(offset)) == ssize_t(old.size()))
            ++losses;
        if (fd >= 0) ::close(fd);
        throw CFileException(path, EIO);
    }
};

// A save that fails and leaves the file no longer giving back what it held (a disk that stops
// answering): the file is cut to nothing through a descriptor of the test's own, and the step
// fails (EIO).
struct CutFile {
    static inline std::string path;
    static void Seam(const char* where) {
        if (std::string(where) != "flush" && std::string(where) != "save") return;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0) ::ftruncate(fd, 0), ::close(fd);
        throw CFileException(path, EIO);
    }
};

// Every sector as the guest reads it, tracks 0-79 slots 1-16; empty where there is none.
std::vector<Bytes> Seen(CFileFdd& fdd) {
    std::vector<Bytes> seen;
    for (int t = 0; t < 80; ++t)
        for (int r = 1; r <= 16; ++r)
            seen.push_back(ReadSector(fdd, t / 2, t % 2, r));
    return seen;
}

// A raw image and a D88 one: the guest writes a sector (into the file at once); the flush
// fails and the file loses the write. The save fails (EIO), the disk stays modified, and the
// sector reads back as the guest wrote it. The next save, with nothing failing, leaves the
// sector as written in the file: a flush alone would leave the file as the seam left it.
// The guest writes again (and formats a track of the raw image after it, so that the image
// is built anew as D88); a save fails and the file is cut to nothing: the guest still reads
// every sector as before, and the close that fails the same way leaves a rescue copy that
// holds the image exactly as the guest saw it, not the file as it was left.
TEST(KeptData, FlushThatLosesTheWriteKeepsIt) {
    Bytes d88 = D88Header({688});
    for (uint8_t r = 1; r <= 4; ++r)
        D88Record(d88, 0, 0, r, 256, -1, 4);
    PutLe32(d88, 28, uint32_t(d88.size()));
    const struct {
        const char* name;
        Bytes image;
        const char* file;
        int c, h, r;
        uint64_t offset; // of the sector's data in the file
        bool format;     // a track formatted after the last write
    } cases[] = {
        {"raw", AddressedImage(327680), "disk.img", 5, 0, 1, 5 * 8192, false},
        {"D88", d88, "disk.d88", 0, 0, 3, 688 + 2 * 272 + 16, false},
        {"raw, a track formatted", AddressedImage(327680), "disk.img", 5, 0, 1, 5 * 8192, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir("fdd");
        const std::string path = dir / c.file;
        ASSERT_TRUE(WriteFile(path, c.image));
        CFileFdd fdd;
        ASSERT_TRUE(fdd.Open(path, CFile::modeReadWrite));
        fdd.SetRescueFolder(dir / "r");
        Bytes image = c.image; // what the file is to hold
        // The guest writes `data`; the file takes it at once, and loses it at the flush.
        const auto guestWrites = [&](const Bytes& data) {
            ASSERT_EQ(fdd.SeekSector(c.c, c.h, c.r - 1), 256);
            fdd.Write(data.data(), 256);
            ASSERT_TRUE(Slice(ReadFile(path), c.offset, 256) == data)
                << "not written into the file";
            LostWrite::path = path, LostWrite::offset = c.offset, LostWrite::losses = 0;
            LostWrite::old = Slice(image, c.offset, 256);
            std::copy(data.begin(), data.end(), image.begin() + std::ptrdiff_t(c.offset));
        };
        const Bytes first = Pattern(256, 0x40), last = Pattern(256, 0x80);

        ASSERT_NO_FATAL_FAILURE(guestWrites(first));
        {
            const TestSeam seam(LostWrite::Seam);
            EXPECT_EQ(ErrnoOf([&] { fdd.Save(); }), EIO);
        }
        EXPECT_GT(LostWrite::losses, 0) << "the save never came to flush the file";
        EXPECT_TRUE(fdd.HasUnsavedChanges());
        EXPECT_TRUE(ReadSector(fdd, c.c, c.h, c.r) == first) << "the sector reads otherwise";
        EXPECT_NO_THROW(fdd.Save());
        EXPECT_FALSE(fdd.HasUnsavedChanges());
        EXPECT_TRUE(Slice(ReadFile(path), c.offset, 256) == first) << "the file lost the write";
        EXPECT_TRUE(ReadFile(path) == image) << "the file is not the image";

        ASSERT_NO_FATAL_FAILURE(guestWrites(last));
        if (c.format) FormatTrack(fdd, 1, 0, {{1, 256}});
        const std::vector<Bytes> seen = Seen(fdd);
        CutFile::path = path;
        {
            const TestSeam seam(CutFile::Seam);
            EXPECT_EQ(ErrnoOf([&] { fdd.Save(); }), EIO);
            ASSERT_EQ(ReadFile(path).size(), 0u) << "the file was not cut";
            EXPECT_TRUE(Seen(fdd) == seen) << "the sectors read otherwise";
            EXPECT_EQ(ErrnoOf([&] { fdd.Close(); }), EIO);
        }
        EXPECT_FALSE(fdd.IsOpen());
        EXPECT_FALSE(fdd.RescuedPath().empty()) << "no rescue copy named";
        if (fdd.RescuedPath().empty()) continue;
        EXPECT_EQ(FolderOf(fdd.RescuedPath()), dir / "r");
        CFileFdd copy;
        ASSERT_TRUE(copy.Open(fdd.RescuedPath(), CFile::modeRead));
        EXPECT_TRUE(Seen(copy) == seen) << "the copy is not the image the guest saw";
        EXPECT_TRUE(c.format || ReadFile(fdd.RescuedPath()) == image) << "the copy is not the file";
    }
}

// The file refuses the guest's write (the file-size limit stops it below the sector, as a
// disk turned read-only would): the guest's write goes through all the same, kept in memory,
// and the sector reads as written. The save fails, the file lacking the sector; once the
// file takes it, the next save writes it. An image opened only to read is a write-protected
// disk: the write fails and the sector stays as it was.
TEST(KeptData, WriteTheFileRefusesIsKept) {
    TempDir dir("fdd");
    const std::string path = dir / "disk.img";
    const Bytes raw = AddressedImage(327680), data = Pattern(256, 0x40);
    constexpr uint64_t at = 5 * 8192; // C5 H0 R1
    ASSERT_TRUE(WriteFile(path, raw));
    {
        CFileFdd readOnly;
        ASSERT_TRUE(readOnly.Open(path, CFile::modeRead));
        ASSERT_EQ(readOnly.SeekSector(5, 0, 0), 256);
        EXPECT_EQ(ErrnoOf([&] { readOnly.Write(data.data(), 256); }), EBADF);
        EXPECT_FALSE(readOnly.HasUnsavedChanges());
        EXPECT_TRUE(ReadSector(readOnly, 5, 0, 1) == Slice(raw, at, 256));
    }
    CFileFdd fdd;
    ASSERT_TRUE(fdd.Open(path, CFile::modeReadWrite));
    {
        const FileSizeLimit limit(at);
        ASSERT_EQ(fdd.SeekSector(5, 0, 0), 256);
        for (int i = 0; i < 256; ++i) // a byte at a time, as the controller moves them
            EXPECT_EQ(ErrnoOf([&] { fdd.Write(&data[i], 1); }), 0) << i;
        EXPECT_TRUE(ReadSector(fdd, 5, 0, 1) == data) << "the write is lost";
        EXPECT_EQ(ErrnoOf([&] { fdd.Save(); }), EFBIG);
    }
    EXPECT_TRUE(ReadFile(path) == raw);
    EXPECT_TRUE(fdd.HasUnsavedChanges());
    EXPECT_NO_THROW(fdd.Save());
    EXPECT_TRUE(Slice(ReadFile(path), at, 256) == data) << "the file lacks the write";
}

// How the save into the image's own file is made to fail: its flush (EIO), or the write
// itself, stopped halfway by the file-size limit (EFBIG).
enum Stop { kFlush, kHalfway };

const char* StopName(Stop stop) {
    return stop == kFlush ? "flush fails" : "stops halfway";
}
int StopErrno(Stop stop) {
    return stop == kFlush ? EIO : EFBIG;
}

// The image once track 1 holds one sector: the length a save in place writes.
constexpr uint64_t kD88Length = 688 + 79 * 16 * 272 + 272;

struct Failing {
    static inline std::string path;
    static void Flush(const char* where) {
        if (std::string(where) == "flush") throw CFileException(path, EIO);
    }
    static void Halfway(const char* where) {
        const rlimit half{kD88Length / 2, RLIM_INFINITY};
        if (std::string(where) == "in place") ::setrlimit(RLIMIT_FSIZE, &half);
    }
};

// Reads of the image's file that fail (EIO), as the test sets them: while the image opens, the
// first read (the whole file in one piece, under 1 MB) and the read of page `page` (4096 bytes;
// the pages are read in turn once the piece failed); every read, and every flush, while `dead`.
struct BadReads {
    static inline int reads = 0, page = 0, failed = 0;
    static inline bool dead = false;
    static void Start(int p) { reads = failed = 0, page = p, dead = false; }
    static void Seam(const char* where) {
        const std::string w = where;
        if (w == "read" && (++reads == 1 || reads == 2 + page || dead)) {
            ++failed;
            throw CFileException("disk", EIO);
        }
        if (w == "flush" && dead) throw CFileException("disk", EIO);
    }
};

// A raw image whose page 5 (track 5, C2 H1 of the blank disk) cannot be read as it opens. The
// image opens all the same; the sectors of that page are errors for the guest (EIO), to read
// and to write, and every other sector reads and takes writes, which a save puts into the
// file. Once the disk answers nothing, a copy of the image would claim bytes the program does
// not have: the close whose save fails (at the flush, or writing the image anew as D88 after a
// format) makes none, and tells why.
TEST(KeptData, SectorsThatCouldNotBeReadStayErrors) {
    for (const bool format : {false, true}) {
        SCOPED_TRACE(format ? "a track formatted" : "sectors written");
        TempDir dir("fdd");
        const std::string path = dir / "disk.img";
        const Bytes raw = AddressedImage(327680), data = Pattern(256, 0x40);
        ASSERT_TRUE(WriteFile(path, raw));
        CFileFdd fdd;
        BadReads::Start(5);
        {
            const TestSeam seam(BadReads::Seam);
            ASSERT_TRUE(fdd.Open(path, CFile::modeReadWrite));
        }
        fdd.SetRescueFolder(dir / "r");
        EXPECT_EQ(fdd.m_nFormat, 0);
        uint8_t byte = 0;
        for (const int r : {1, 16}) {
            ASSERT_EQ(fdd.SeekSector(2, 1, r - 1), 256);
            EXPECT_EQ(ErrnoOf([&] { fdd.Read(&byte, 1); }), EIO) << "read R " << r;
            ASSERT_EQ(fdd.SeekSector(2, 1, r - 1), 256);
            EXPECT_EQ(ErrnoOf([&] { fdd.Write(data.data(), 1); }), EIO) << "write R " << r;
        }
        EXPECT_TRUE(ReadSector(fdd, 2, 0, 16) == Slice(raw, 4 * 4096 + 15 * 256, 256));
        EXPECT_TRUE(ReadSector(fdd, 3, 0, 1) == Slice(raw, 6 * 4096, 256));
        ASSERT_EQ(fdd.SeekSector(5, 0, 0), 256);
        fdd.Write(data.data(), 256);
        EXPECT_NO_THROW(fdd.Save());
        EXPECT_TRUE(Slice(ReadFile(path), 10 * 4096, 256) == data);

        if (format)
            FormatTrack(fdd, 1, 0, {{1, 256}});
        else if (fdd.SeekSector(5, 0, 1) == 256)
            fdd.Write(data.data(), 256);
        BadReads::dead = true;
        {
            const TestSeam seam(BadReads::Seam);
            EXPECT_EQ(ErrnoOf([&] { fdd.Close(); }), EIO);
        }
        EXPECT_TRUE(fdd.RescuedPath().empty()) << "a copy named: " << fdd.RescuedPath();
        EXPECT_EQ(fdd.RescueError(), EIO);
        EXPECT_FALSE(fs::exists(dir / "r") && !fs::is_empty(dir / "r")) << "a copy left";
    }
}

// A D88 image of `tracks` tracks (C x 2 + H) of 16 sectors of `size` bytes, every 4-byte word
// of the data its own offset / 4; padded with zeros to `length`.
Bytes D88Disk(int tracks, uint16_t size, size_t length = 0) {
    Bytes b = D88Header({});
    for (int t = 0; t < tracks; ++t) {
        PutLe32(b, 32 + 4 * t, uint32_t(b.size()));
        for (uint8_t r = 1; r <= 16; ++r) {
            D88Record(b, uint8_t(t / 2), uint8_t(t % 2), r, size, -1, 16);
            for (size_t at = b.size() - size; at < b.size(); at += 4)
                PutLe32(b, at, uint32_t(at / 4));
        }
    }
    PutLe32(b, 28, uint32_t(b.size()));
    if (b.size() < length) b.resize(length);
    return b;
}

// How a sector of the image first opened looks to the guest.
enum Looks { kAsInTheFile, kMissing, kError };
struct SeenSector {
    int c, h, r;
    Looks looks;
    int err = 0;
};

// A D88 image of 41 tracks of 256-byte sectors that cannot be read whole as it opens: its
// first page (the file padded to a raw image's length, and named as one), a page that starts
// at a record header (track 24's R6), a page that a sector runs into (track 23's R6); or one
// of 32 KB sectors whose last tracks lie beyond what is held (32-40, and track 31's last
// sector). The guest sees every sector it can: the tracks after the bad part too. It formats
// track 3, erases track 25 and writes C0 H1 R1 (on page 1 of a raw image) if there is one.
// - While what could not be read stays so, the save fails with the read's errno and the close
//   makes no copy: the file is as it was, byte for byte (but for the guest's write).
// - Where the disk answers again before the save, the save keeps every sector.
TEST(KeptData, ImageNotHeldWholeIsNeverWrittenShort) {
    const Bytes disk = D88Disk(41, 256), data = Pattern(256, 0x40);
    const struct {
        const char* name;
        Bytes image;
        const char* file;
        int page; // -1: none, the file too long to be held
        std::vector<SeenSector> seen;
    } cases[] = {
        {"first page",
         D88Disk(41, 256, 327680),
         "disk.img",
         0,
         {{0, 0, 1, kMissing}, {0, 1, 1, kMissing}, {20, 0, 16, kMissing}}},
        {"page at a record header",
         disk,
         "disk.d88",
         26,
         {{12, 0, 5, kAsInTheFile},
          {12, 0, 6, kMissing},
          {12, 1, 1, kMissing},
          {13, 0, 1, kAsInTheFile},
          {20, 0, 16, kAsInTheFile}}},
        {"page a sector runs into",
         disk,
         "disk.d88",
         25,
         {{11, 1, 5, kAsInTheFile},
          {11, 1, 6, kError, EIO},
          {11, 1, 7, kMissing},
          {12, 0, 1, kMissing},
          {12, 1, 1, kAsInTheFile},
          {20, 0, 16, kAsInTheFile}}},
        {"beyond what is held",
         D88Disk(41, 32768),
         "disk.d88",
         -1,
         {{15, 1, 15, kAsInTheFile}, {15, 1, 16, kMissing}, {16, 0, 1, kMissing}}},
    };
    for (const auto& c : cases) {
        for (const bool answers : {false, true}) {
            if (answers && c.page < 0) continue;
            SCOPED_TRACE(testing::Message() << c.name << (answers ? ", answers again" : ""));
            TempDir dir("fdd");
            const std::string path = dir / c.file, clean = dir / "clean.d88";
            ASSERT_TRUE(WriteFile(path, c.image));
            CFileFdd fdd;
            BadReads::Start(c.page);
            {
                const TestSeam seam(c.page < 0 ? nullptr : BadReads::Seam);
                ASSERT_TRUE(fdd.Open(path, CFile::modeReadWrite));
            }
            fdd.SetRescueFolder(dir / "r");
            for (const SeenSector& k : c.seen) {
                SCOPED_TRACE(testing::Message() << "C" << k.c << " H" << k.h << " R" << k.r);
                const int size = fdd.SeekSector(k.c, k.h, k.r - 1);
                EXPECT_EQ(size < 0, k.looks == kMissing);
                if (size < 0 || k.looks == kMissing) continue;
                Bytes got(size);
                // A byte at a time, as the controller reads: the first already fails.
                EXPECT_EQ(ErrnoOf([&] { fdd.Read(got.data(), 1); }), k.err) << "its first byte";
                if (k.err != 0) continue;
                EXPECT_EQ(ErrnoOf([&] { fdd.Read(got.data() + 1, size - 1); }), 0);
                const uint64_t at = fdd.m_tracks[k.c * 2 + k.h].m_sects[k.r - 1].m_nOffset;
                EXPECT_TRUE(got == Slice(c.image, at, size)) << "read otherwise";
            }
            FormatTrack(fdd, 1, 1, {{1, 256}});
            fdd.ClearTrack(12, 1); // an erase of track 25, which the model may lack
            Bytes image = c.image; // what the file is to hold should the save fail
            const bool write = fdd.SeekSector(0, 1, 0) == 256;
            if (write) {
                fdd.Write(data.data(), 256);
                const uint64_t at = fdd.m_tracks[1].m_sects[0].m_nOffset;
                std::copy(data.begin(), data.end(), image.begin() + std::ptrdiff_t(at));
            }

            if (answers) {
                // The image read whole, with the same format and write.
                ASSERT_TRUE(WriteFile(clean, c.image));
                CFileFdd whole;
                ASSERT_TRUE(whole.Open(clean, CFile::modeReadWrite));
                FormatTrack(whole, 1, 1, {{1, 256}});
                whole.ClearTrack(12, 1);
                if (write && whole.SeekSector(0, 1, 0) == 256) whole.Write(data.data(), 256);
                const std::vector<Bytes> want = Seen(whole);
                EXPECT_NO_THROW(fdd.Save());
                EXPECT_NO_THROW(fdd.Close());
                CFileFdd back;
                ASSERT_TRUE(back.Open(path, CFile::modeRead));
                EXPECT_TRUE(Seen(back) == want) << "the save did not keep every sector";
                continue;
            }
            const int err = c.page < 0 ? EFBIG : EIO;
            BadReads::dead = true;
            const TestSeam seam(c.page < 0 ? nullptr : BadReads::Seam);
            EXPECT_EQ(ErrnoOf([&] { fdd.Save(); }), err);
            EXPECT_TRUE(ReadFile(path) == image) << "the save changed the file";
            EXPECT_EQ(ErrnoOf([&] { fdd.Close(); }), err);
            EXPECT_TRUE(fdd.RescuedPath().empty()) << "a copy named: " << fdd.RescuedPath();
            EXPECT_EQ(fdd.RescueError(), err);
            EXPECT_TRUE(ReadFile(path) == image) << "the close changed the file";
        }
    }
}

// A disk whose every read fails (a network disk that times out): the open of the largest
// image, and a save that needs it whole, each give up after a few failed reads.
TEST(KeptData, DeadDiskIsGivenUpSoon) {
    TempDir dir("fdd");
    const std::string path = dir / "disk.img";
    ASSERT_TRUE(WriteFile(path, AddressedImage(1474560)));
    CFileFdd fdd;
    BadReads::Start(0);
    BadReads::dead = true;
    const TestSeam seam(BadReads::Seam);
    ASSERT_TRUE(fdd.Open(path, CFile::modeReadWrite));
    EXPECT_LE(BadReads::failed, 40) << "failed reads at open";
    FormatTrack(fdd, 1, 0, {{1, 256}});
    BadReads::failed = 0;
    EXPECT_EQ(ErrnoOf([&] { fdd.Save(); }), EIO);
    EXPECT_LE(BadReads::failed, 40) << "failed reads at the save";
}

// The errno of a save (or a close) made to fail as `stop` says.
int FailingSave(CFileFdd& fdd, Stop stop, bool close = false) {
    const FileSizeLimit limit(RLIM_INFINITY); // the limit the seam lowers comes back
    Failing::path = fdd.GetFilePath();
    const TestSeam seam(stop == kFlush ? Failing::Flush : Failing::Halfway);
    return ErrnoOf([&] { close ? fdd.Close() : fdd.Save(); });
}

// The guest's `n`th write (0, 1): sector n + 1 of cylinder n + 5.
void WriteSector(CFileFdd& fdd, int n) {
    const Bytes data = Pattern(256, uint8_t(0x10 * (n + 1)));
    if (fdd.SeekSector(5 + n, 0, n) == 256) fdd.Write(data.data(), 256);
}

// Whether `path` holds the image as D88 with track 1 formatted and the guest's first
// `writes` writes.
bool Holds(const std::string& path, int writes) {
    CFileFdd back;
    if (!back.Open(path, CFile::modeRead) || back.m_nFormat != CFileFdd::kFormatD88) return false;
    for (int n = 0; n < writes; ++n)
        if (ReadSector(back, 5 + n, 0, 1 + n) != Pattern(256, uint8_t(0x10 * (n + 1))))
            return false;
    return ReadSector(back, 1, 0, 1) == Bytes(256, 0xE4);
}

// Identity and time of a file, to tell whether it was written again.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    timespec mtime{};
    bool operator==(const FileId& o) const {
        return dev == o.dev && ino == o.ino && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};
FileId IdOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return {};
    return {st.st_dev, st.st_ino, st.st_mtim};
}

// Where the image and the rescue folder lie: the test's folder, or an ext4 disk of the test's
// own (root), which gives a new file the inode number of one deleted just before.
enum Disk { kTestFolder, kExt4 };

// A raw image in a folder of the ordinary user's that the user may not write to (as root
// chmod would not stop root) until they open it up, the user's rescue folder beside it.
struct ReadOnlyPlace {
    TempDir dir{"fdd"};
    std::optional<PrivateMounts> mounts; // unmounted before the folder goes
    std::string top = dir.Path(), folder = top + "/f", image = folder + "/disk.img",
                rescue = top + "/r";
    // Empty when made, else why the case cannot run.
    std::string Make(Disk disk = kTestFolder) {
        if (std::string why = WhyNotAsOrdinaryUser(dir.Path()); !why.empty()) return why;
        if (disk == kExt4) {
            if (::geteuid() != 0) return "not root: no ext4 disk of the test's own to mount";
            if (std::string why = MakeExt("ext4", dir / "ext4.img", dir / "mkfs.log"); !why.empty())
                return why;
            top = dir / "m", folder = top + "/f", image = folder + "/disk.img", rescue = top + "/r";
            fs::create_directory(top);
            mounts.emplace();
            if (!mounts->LoopDisk(dir / "ext4.img", top, "ext4"))
                return "no ext4: " + mounts->Why();
            if (::chmod(top.c_str(), 0755) != 0) return "could not open the disk up";
        }
        fs::create_directory(folder), fs::create_directory(rescue);
        if (!WriteFile(image, AddressedImage(327680)) || !GiveToOrdinaryUser(folder) ||
            !GiveToOrdinaryUser(rescue) || ::chmod(folder.c_str(), 0555) != 0)
            return "could not make the folders";
        return "";
    }
};

// In the child, as the ordinary user: the guest formats track 1 and writes a sector; the
// save into the image's own file fails as `stop` says and names a rescue copy with the whole
// new image. Empty when it went so, else what went otherwise.
std::string FirstCopy(CFileFdd& fdd, const ReadOnlyPlace& at, Stop stop) {
    if (!fdd.Open(at.image, CFile::modeReadWrite)) return "not opened";
    fdd.SetRescueFolder(at.rescue);
    FormatTrack(fdd, 1, 0, {{1, 256}});
    WriteSector(fdd, 0);
    if (const int err = FailingSave(fdd, stop); err != StopErrno(stop))
        return std::string("the first save answered: ") + std::strerror(err);
    if (fdd.RescuedPath().empty()) return "the first save named no copy";
    if (FolderOf(fdd.RescuedPath()) != at.rescue || !Holds(fdd.RescuedPath(), 1))
        return "the first copy is not the whole image";
    return "";
}

int Fail(const std::string& what) {
    std::printf("%s\n", what.c_str());
    return 1;
}

// Runs `body` as the ordinary user; its answer must be 0.
void ExpectAsOrdinaryUser(const std::function<int()>& body) {
    const int answer = AsOrdinaryUser(body);
    ASSERT_NE(answer, -1) << "could not become an ordinary user";
    EXPECT_EQ(answer, 0);
}

// How the user puts a file of their own under the name of the drive's rescue copy.
enum Takes { kRenameOver, kDeleteAndMake };

// A rescue copy made while the image stays open; the user puts a file of their own under its
// name, by moving it over the copy or by deleting the copy and making a new file there (on ext4
// the new file may get the copy's inode number); the guest writes again. Where the save fails
// again, the new copy takes a new name and holds both writes, and the user's file is as it was,
// the same file; a save into the image's file then goes through and removes the drive's copy.
// Where the user opens the image's folder up instead, the save goes through beside the image at
// once, without a copy. Either way the user's file stays as it was, alone in the rescue folder.
TEST(KeptData, RescueCopyReplacesOnlyItsOwnFile) {
    const struct {
        Stop stop;
        Takes takes;
        bool failsAgain;
        Disk disk;
    } cases[] = {
        {kFlush, kRenameOver, true, kTestFolder},   {kFlush, kDeleteAndMake, true, kTestFolder},
        {kHalfway, kRenameOver, true, kTestFolder}, {kHalfway, kDeleteAndMake, true, kTestFolder},
        {kFlush, kRenameOver, false, kTestFolder},  {kHalfway, kDeleteAndMake, false, kTestFolder},
        {kHalfway, kDeleteAndMake, true, kExt4},    {kFlush, kDeleteAndMake, false, kExt4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << StopName(c.stop) << ", "
                                        << (c.takes == kRenameOver ? "moved over" : "made anew")
                                        << (c.failsAgain ? ", fails again" : ", folder opened")
                                        << (c.disk == kExt4 ? ", on ext4" : ""));
        ReadOnlyPlace at;
        if (const std::string why = at.Make(c.disk); !why.empty()) {
            if (c.disk == kTestFolder) GTEST_SKIP() << why;
            std::printf("ext4 rows skipped: %s\n", why.c_str()); // the rest has run
            continue;
        }
        ASSERT_NO_FATAL_FAILURE(ExpectAsOrdinaryUser([&] {
            CFileFdd fdd;
            if (const std::string why = FirstCopy(fdd, at, c.stop); !why.empty()) return Fail(why);
            const std::string copy = fdd.RescuedPath(), mine = at.rescue + "/mine";
            const std::string text = "the user's own file";
            const FileId copyId = IdOf(copy);
            if (c.takes == kRenameOver) {
                if (!WriteFile(mine, text) || ::rename(mine.c_str(), copy.c_str()) != 0)
                    return Fail("could not move the user's file over the copy");
            } else if (::unlink(copy.c_str()) != 0 || !WriteFile(copy, text)) {
                return Fail("could not make the user's file");
            }
            const FileId mineId = IdOf(copy);
            if (mineId == copyId) return Fail("the user's file is the copy, unchanged");
            const auto mineKept = [&] {
                return ReadFile<std::string>(copy) == text && IdOf(copy) == mineId;
            };

            WriteSector(fdd, 1);
            if (c.failsAgain) {
                if (const int err = FailingSave(fdd, c.stop); err != StopErrno(c.stop))
                    return Fail(std::string("the second save answered: ") + std::strerror(err));
                const std::string second = fdd.RescuedPath();
                if (second.empty()) return Fail("the second save named no copy");
                if (second == copy) return Fail("the new copy took the user's file's name");
                if (!Holds(second, 2)) return Fail("the new copy lacks the writes");
                if (!mineKept()) return Fail("the user's file was replaced");
            } else if (::chmod(at.folder.c_str(), 0755) != 0) {
                return Fail("could not open the folder up");
            }
            try {
                fdd.Save();
            } catch (const CFileException& e) {
                return Fail(std::string("the last save failed: ") + e.what());
            }
            if (!mineKept()) return Fail("the user's file changed with the save");
            std::error_code ec;
            if (std::distance(fs::directory_iterator(at.rescue, ec), {}) != 1)
                return Fail("the rescue folder holds more than the user's file");
            fdd.Close();
            return Holds(at.image, 2) ? 0 : Fail("the image lacks the writes");
        }));
    }
}

// A rescue copy made while the image stays open; the guest writes again, and the rescue
// folder takes no file (read-only): the copy can be neither replaced nor made under a new
// name. The save fails, names no copy (the old one lacks the new write) and tells why
// (EACCES); the old copy is the same file, as it was. The close that fails the same way
// names none either.
TEST(KeptData, CopyThatCouldNotBeReplacedIsNotNamed) {
    for (const Stop stop : {kFlush, kHalfway}) {
        SCOPED_TRACE(StopName(stop));
        ReadOnlyPlace at;
        if (const std::string why = at.Make(); !why.empty()) GTEST_SKIP() << why;
        ASSERT_NO_FATAL_FAILURE(ExpectAsOrdinaryUser([&] {
            CFileFdd fdd;
            if (const std::string why = FirstCopy(fdd, at, stop); !why.empty()) return Fail(why);
            const std::string copy = fdd.RescuedPath();
            const FileId copyId = IdOf(copy);
            const Bytes was = ReadFile(copy);
            WriteSector(fdd, 1);
            if (::chmod(at.rescue.c_str(), 0555) != 0) return Fail("rescue folder not locked");
            for (const bool close : {false, true}) {
                const char* what = close ? "the close" : "the save";
                const int err = FailingSave(fdd, stop, close);
                if (!fdd.RescuedPath().empty())
                    return Fail(std::string(what) + " named " + fdd.RescuedPath());
                if (err != EACCES)
                    return Fail(std::string(what) + " answered: " + std::strerror(err));
                if (fdd.RescueError() != EACCES)
                    return Fail(std::string(what) + " told: " + std::strerror(fdd.RescueError()));
                if (!(IdOf(copy) == copyId) || ReadFile(copy) != was)
                    return Fail(std::string(what) + " changed the old copy");
            }
            return 0;
        }));
    }
}

} // namespace
