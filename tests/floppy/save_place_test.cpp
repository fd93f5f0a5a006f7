// Where a save puts a floppy image when its file was deleted or replaced under it, what it
// keeps of the file (mode, owner), names as long as a folder allows, and the leftovers of
// saves that were cut short.
#include <cstring>
#include <fcntl.h>
#include <regex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fdd_test_util.h"
#include "platform/file_save.h"
#include "private_mounts.h"
#include "tests/platform/guards.h"

namespace fs = std::filesystem;

namespace {

// The guest's `n`th write (0, 1, 2): sector n + 1 of cylinder n + 5.
void WriteSector(CFileFdd& fdd, int n) {
    const Bytes data = Pattern(256, uint8_t(0x10 * (n + 1)));
    if (fdd.SeekSector(5 + n, 0, n) == 256) fdd.Write(data.data(), 256);
}

// The image saved at `path` read back: its format, the guest's first `writes` writes, and
// sector 1 of track 1 there, formatted or not; C1 H1 R2 there unless the image is the
// shorter one; and C20 H1 R16 untouched.
bool Saved(const std::string& path, bool d88, int writes, bool shorter = false) {
    CFileFdd back;
    if (!back.Open(path, CFile::modeRead) || back.m_nFormat != (d88 ? CFileFdd::kFormatD88 : 0))
        return false;
    for (int n = 0; n < writes; ++n)
        if (ReadSector(back, 5 + n, 0, 1 + n) != Pattern(256, uint8_t(0x10 * (n + 1))))
            return false;
    const Bytes last = ReadSector(back, 20, 1, 16);
    return ReadSector(back, 1, 0, 1).size() == 256u &&
           ReadSector(back, 1, 1, 2).empty() == shorter && last.size() == 256u &&
           Le32(last, 0) == (20 * 8192u + 8192 - 256) / 4;
}
void ExpectSaved(const std::string& path, bool d88, int writes, bool shorter = false) {
    EXPECT_TRUE(Saved(path, d88, writes, shorter)) << path;
}

enum Event { kDelete, kReplace, kMoveFolder };

// The guest writes; the user deletes the image, moves a backup over it (a formatted one's
// while the save writes the new image) or moves its folder; the guest writes again. Deleted:
// the whole image is back under its name. Replaced: the backup is untouched, "disk-1.img"
// being taken the image goes to "disk-2.img". Folder moved: the image goes into its file
// where that now is. The drive goes on with that file (in place, locked), with the image's
// mode and, where the test may give files away, its owner; no temporary file is left. An
// image the guest did not change is not written back, nor put beside the backup.
// With the moved folder then removed, the file has no name left: the save fails, saying the
// file is not as it was, and the disk stays modified; the close then puts the whole image
// into a new file of the rescue folder, made for the user alone and named after the image
// with the time, or says why it could not (no folder there).
TEST(SavePlace, DeletedReplacedOrMovedImageLosesNothing) {
    // A format makes the save a D88 rewrite, else sectors are written in place; what the user
    // does; the guest changes the disk.
    const std::array<int, 3> cases[] = {{0, kDelete, 1},     {1, kDelete, 1},    {0, kReplace, 1},
                                        {1, kReplace, 1},    {0, kDelete, 0},    {0, kReplace, 0},
                                        {0, kMoveFolder, 1}, {1, kMoveFolder, 1}};
    for (const auto [format, event, change] : cases) {
        SCOPED_TRACE(testing::Message()
                     << "format " << format << ", event " << event << ", change " << change);
        TempDir dir("fdd");
        const std::string path = dir / "f/disk.img", backup = dir / "backup";
        const Bytes raw = AddressedImage(327680);
        fs::create_directory(dir / "f");
        WriteFile(path, raw);
        WriteFile(dir / "f/disk-1.img", {7});
        WriteFile(dir / "file", "");
        const bool root = ::geteuid() == 0, replace = event == kReplace;
        ASSERT_EQ(root ? ::chown(path.c_str(), 4321, 4322) : 0, 0); // only root may
        ::chmod(path.c_str(), 02750); // a new owner clears set-id bits that must come back
        CFileFdd fdd;
        ASSERT_TRUE(fdd.Open(path, CFile::modeReadWrite));
        fdd.SetRescueFolder(dir / (format ? "r/s" : "file/s"));
        if (format) FormatTrack(fdd, 1, 0, {{1, 256}});
        if (change) WriteSector(fdd, 0), fdd.Save();
        static std::string sPath, sBackup;
        sPath = path, sBackup = backup;
        if (replace) WriteFile(backup, raw);
        if (replace && format) // while the save writes the new image
            g_pFileTestSeam = [](const char* w) {
                if (std::string(w) == "save") fs::rename(sBackup, sPath);
            };
        else if (replace)
            fs::rename(backup, path);
        else if (event == kDelete)
            fs::remove(path);
        else
            fs::rename(dir / "f", dir / "g");
        if (format) FormatTrack(fdd, 1, 0, {{1, 256}});
        const Bytes write1 = Pattern(256, 0x20); // a transfer the save cuts in two
        if (change && fdd.SeekSector(6, 0, 1) == 256) fdd.Write(write1.data(), 100);
        fdd.Save();
        g_pFileTestSeam = nullptr;
        if (!change) {
            fdd.Close();
            EXPECT_EQ(std::distance(fs::directory_iterator(dir / "f"), {}), replace ? 2 : 1);
            EXPECT_EQ(ReadFile(path), replace ? raw : Bytes{});
            continue;
        }

        const std::string saved = replace            ? dir / "f/disk-2.img"
                                  : event == kDelete ? path
                                                     : dir / "g/disk.img";
        EXPECT_EQ(fdd.GetFilePath(), saved);
        EXPECT_EQ(fdd.OpenedPath(), path);
        EXPECT_EQ(fdd.FollowedMove(), event == kMoveFolder);
        EXPECT_TRUE(!replace || ReadFile(path) == raw) << "the backup changed";
        EXPECT_EQ(ReadFile(FolderOf(saved) + "/disk-1.img"), Bytes{7});
        fdd.Write(write1.data() + 100, 156); // goes on in the saved file
        if (event != kMoveFolder) WriteSector(fdd, 2);
        fdd.Save();
        EXPECT_EQ(fdd.GetFilePath(), saved);
        CFile other;
        EXPECT_FALSE(other.Open(saved, CFile::modeReadWrite)) << "not held";
        EXPECT_EQ(std::distance(fs::directory_iterator(FolderOf(saved)), {}), replace ? 3 : 2);
        struct stat st {};
        ASSERT_EQ(::stat(saved.c_str(), &st), 0);
        // A write without CAP_FSETID clears set-gid.
        EXPECT_EQ(st.st_mode & 07777, root ? 02750u : 0750u);
        EXPECT_TRUE(!root || (st.st_uid == 4321 && st.st_gid == 4322))
            << st.st_uid << ":" << st.st_gid;
        fs::copy_file(saved, dir / "copy.img"); // the image is held
        ExpectSaved(dir / "copy.img", format, event == kMoveFolder ? 2 : 3);
        if (event != kMoveFolder) continue;

        WriteSector(fdd, 2);
        if (format) FormatTrack(fdd, 2, 0, {{1, 256}}); // kept in memory only
        fs::remove_all(dir / "g");
        for (int round = 0; round < 2; ++round) { // a save, then the close
            EXPECT_EQ(ErrnoOf([&] { round ? fdd.Close() : fdd.Save(); }), ENOENT);
            EXPECT_FALSE(fdd.FileAsBefore());
            EXPECT_TRUE(fdd.HasUnsavedChanges());
        }
        EXPECT_EQ(fdd.RescueError(), format ? 0 : ENOTDIR);
        if (!format) continue;
        const std::string name = fs::path(fdd.RescuedPath()).filename();
        EXPECT_TRUE(std::regex_match(name, std::regex("disk-[0-9]{8}-[0-9]{6}\\.img"))) << name;
        ExpectSaved(fdd.RescuedPath(), true, 3);
        CFileFdd rescued;
        ASSERT_TRUE(rescued.Open(fdd.RescuedPath(), CFile::modeRead));
        EXPECT_TRUE(ReadSector(rescued, 2, 0, 2).empty()) << "the last format is not in it";
        EXPECT_EQ(fs::status(dir / "r").permissions(), fs::perms::owner_all);
    }
}

// What a guest's format does to the image (a D88 one but for kTrack1), and the length
// of the image saved after it.
enum Change { kTrack1, kShorter, kLonger };
constexpr uint64_t kLength[] = {688 + 79 * 16 * 272 + 272, 688 + 78 * 16 * 272 + 2 * 272,
                                688 + 79 * 16 * 272 + 272 + 1040};

void Reformat(CFileFdd& fdd, Change change) {
    if (change == kTrack1) return FormatTrack(fdd, 1, 0, {{1, 256}});
    const bool shorter = change == kShorter;
    CFddSect s; // cylinder 1, side 1 down to one sector; or a 1024-byte sector more
    s.m_C = shorter ? 1 : 3, s.m_H = shorter, s.m_R = shorter ? 1 : 17;
    s.m_N = shorter ? 1 : 3, s.m_nSize = shorter ? 256 : 1024;
    if (shorter) fdd.m_tracks[3].m_sects.clear();
    fdd.m_bModified = fdd.AddSector(s);
}

enum Folder { kOwn, kReadOnly, kSticky };
// What stops the save: nothing; the file-size limit one byte short of the new length; a full
// disk (a raw image, holes but cylinders 20 and 39, on a disk with 140 KB free); a write into
// the file that stops halfway; a rescue folder the user may not write to.
enum Stop { kNothing, kLimit, kFull, kHalfway, kNoCopy };

struct Failing {
    const char* name;
    Folder folder;
    Change change;
    Stop stop;
};

// What a write into the open file finds when it starts: the file and its length as they
// were before the save, and the rescue folder holding one file, whole, with the guest's
// first write.
struct InPlaceStart {
    static inline std::string path, rescue;
    static inline Bytes was;
    static inline bool shorter = false, settled = false;
    static void Seam(const char* where) {
        if (std::string(where) != "in place") return;
        std::error_code ec;
        const auto copies = std::distance(fs::directory_iterator(rescue, ec), {});
        settled = ReadFile(path) == was && copies == 1 &&
                  Saved(fs::directory_iterator(rescue)->path(), true, 1, shorter);
    }
};

// Saves that fail, run as an ordinary user. In the user's own folder (the image opened
// through a link, a cut-short save's leftover beside it) the image is written anew beside
// the file it names; in a folder the user may not write to and (where the test can play
// two users) a sticky one holding another user's image it goes into the file itself once
// everything that could stop that write is settled, and once a rescue copy of the whole new
// image exists: the file-size limit against the new length (a shorter one too) and a rescue
// folder that takes no copy fail with the file as it was, byte for byte, nothing beside it,
// the disk still modified: the next save writes it. Room for every byte (a sparse image's
// holes need it as much as growth) is reserved after the copy is made: a full disk fails
// with the file as it was, taking no more blocks than before, and the copy named. A shorter
// image leaves no old bytes after its end. A write into the file that still stops halfway
// leaves the whole image in the rescue file it names and tells of the damage; a later save
// that fails before writing names that copy while it holds the image as it is, none once
// the guest changed it; one that goes through makes the file whole (no damage told after
// it) and leaves no rescue file.
TEST(SavePlace, FailedSavesLoseNothing) {
    if (OrdinaryUser() == 0) GTEST_SKIP() << "root, without a user `nobody` to become";
    const Failing cases[] = {{"own folder, longer, beyond the limit", kOwn, kLonger, kLimit},
                             {"own folder, shorter, beyond the limit", kOwn, kShorter, kLimit},
                             {"read-only folder", kReadOnly, kShorter, kNothing},
                             {"read-only folder, longer", kReadOnly, kLonger, kNothing},
                             {"sticky folder", kSticky, kShorter, kNothing},
                             {"read-only, longer, beyond the limit", kReadOnly, kLonger, kLimit},
                             {"read-only, shorter, beyond the limit", kReadOnly, kShorter, kLimit},
                             {"read-only folder, sparse, disk full", kReadOnly, kTrack1, kFull},
                             {"read-only folder, stops halfway", kReadOnly, kShorter, kHalfway},
                             {"read-only folder, no rescue copy", kReadOnly, kLonger, kNoCopy}};
    for (const Failing& c : cases) {
        SCOPED_TRACE(c.name);
        const bool sparse = c.stop == kFull, halfway = c.stop == kHalfway;
        TempDir dir("fdd");
        const std::string folder = dir / "f", path = folder + "/disk.img", rescue = dir / "r";
        const std::string open = folder + "/link.img",
                          leftover = folder + "/" + SaveTempPrefix("disk.img") + "Xy12Z3";
        PrivateMounts mounts;
        if ((c.folder == kSticky && ::geteuid() != 0) || (sparse && !mounts.Why().empty())) {
            std::printf("skipped %s: %s\n", c.name, sparse ? mounts.Why().c_str() : "needs root");
            continue;
        }
        fs::create_directory(folder), fs::create_directory(rescue);
        ASSERT_TRUE(!sparse || mounts.SmallDisk(folder, 160 << 10)) << mounts.Why();
        const Bytes raw = AddressedImage(327680);
        // The README's blank disk (truncate, then dd conv=notrunc); formatted, a D88 one.
        CFile f(path, CFile::modeCreateReadWrite);
        f.SetLength(raw.size());
        for (const uint32_t at : {20 * 8192, 39 * 8192})
            f.Seek(at), f.Write(raw.data() + at, 8192);
        f.Close();
        CFileFdd d88; // left raw where the disk is to be full
        ASSERT_TRUE(d88.Open(path, CFile::modeReadWrite));
        if (!sparse) FormatTrack(d88, 1, 0, {{1, 256}});
        d88.Close();
        if (c.folder == kOwn) WriteFile(leftover, {1});
        fs::create_symlink("disk.img", open);
        ASSERT_TRUE(GiveToOrdinaryUser(rescue) &&
                    GiveToOrdinaryUser(c.folder == kOwn ? folder : path));
        // Sticky: folder and image the test's, the image writable by all.
        const bool sticky = c.folder == kSticky;
        ASSERT_EQ(sticky ? ::chown(path.c_str(), 0, 0) | ::chmod(path.c_str(), 0666) : 0, 0);
        const mode_t mode = c.folder == kOwn ? 0755 : c.folder == kSticky ? 01777 : 0555;
        ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
        ASSERT_EQ(::chmod(rescue.c_str(), c.stop == kNoCopy ? 0555 : 0755), 0);
        struct stat old {};
        ASSERT_EQ(::stat(path.c_str(), &old), 0);
        const int answer = AsOrdinaryUser([&] {
            auto fail = [](const char* what) { return std::printf("%s\n", what), 1; };
            CFileFdd fdd;
            if (!fdd.Open(open, CFile::modeReadWrite)) return fail("not opened");
            fdd.SetRescueFolder(rescue);
            Reformat(fdd, c.change);
            WriteSector(fdd, 0); // in place at once
            const Bytes was = ReadFile(path);
            struct stat before {};
            if (::stat(path.c_str(), &before) != 0) return fail("no image");
            InPlaceStart::path = path, InPlaceStart::rescue = rescue, InPlaceStart::was = was;
            InPlaceStart::shorter = c.change == kShorter;
            const auto stopHalfway = [](const char* where) {
                const rlimit half{kLength[kShorter] / 2, RLIM_INFINITY};
                if (std::string(where) == "in place") ::setrlimit(RLIMIT_FSIZE, &half);
            };
            g_pFileTestSeam = halfway ? +stopHalfway : InPlaceStart::Seam;
            // Beyond the file-size limit: the save fails before it writes anything.
            const auto saveAtTheLimit = [&](rlim_t bytes) {
                return ErrnoOf([&] {
                    const FileSizeLimit limit(bytes); // also where the seam lowers it
                    fdd.Save();
                });
            };
            const int err =
                saveAtTheLimit(c.stop == kLimit ? kLength[c.change] - 1 : RLIM_INFINITY);
            g_pFileTestSeam = nullptr;
            const int expected = sparse              ? ENOSPC
                                 : c.stop == kLimit  ? EFBIG
                                 : halfway           ? EFBIG
                                 : c.stop == kNoCopy ? EACCES
                                                     : 0;
            if (err != expected) return fail(std::strerror(err));
            if (!err && c.folder != kOwn && !InPlaceStart::settled)
                return fail("written before it was settled and copied");
            // Stopped halfway, or the room for the write taken after the copy was made.
            const bool copied = halfway || sparse;
            if (err && (fdd.FileDamaged() != halfway || fdd.RescuedPath().empty() == copied))
                return fail("damaged or rescued wrongly told");
            if (err && (fdd.RescueError() != 0) != (c.stop == kNoCopy))
                return fail("no copy wrongly told");
            if (copied && !Saved(fdd.RescuedPath(), true, 1, c.change == kShorter))
                return fail("no whole copy");
            if (halfway) { // again, with another write: the newer copy takes the first one's place
                const std::string first = fdd.RescuedPath();
                WriteSector(fdd, 1);
                g_pFileTestSeam = stopHalfway;
                const int again = saveAtTheLimit(RLIM_INFINITY);
                g_pFileTestSeam = nullptr;
                std::error_code ec;
                if (again != EFBIG || fdd.RescuedPath() != first || !Saved(first, true, 2, true) ||
                    std::distance(fs::directory_iterator(rescue, ec), {}) != 1)
                    return fail("a second copy, or not the newest");
            }
            struct stat after {};
            if (err && !halfway &&
                (!fdd.FileAsBefore() || ReadFile(path) != was || ::stat(path.c_str(), &after) ||
                 after.st_blocks != before.st_blocks))
                return fail("the file changed, or takes more room");
            if (err && !fdd.HasUnsavedChanges()) return fail("forgotten");
            if (err && sparse) return 0; // the disk stays full
            // A save that fails before it writes names the copy while that holds the image as it
            // is, and none once the guest changed it.
            if (halfway) {
                const std::string copy = fdd.RescuedPath();
                if (saveAtTheLimit(kLength[kShorter] - 1) != EFBIG || !fdd.FileDamaged() ||
                    fdd.RescuedPath() != copy)
                    return fail("the damage, or the copy that holds the image, not told");
                WriteSector(fdd, 2);
                if (saveAtTheLimit(kLength[kShorter] - 1) != EFBIG || !fdd.FileDamaged() ||
                    !fdd.RescuedPath().empty())
                    return fail("a copy of an older image told");
            }
            if (c.stop == kNoCopy) ::chmod(rescue.c_str(), 0755);
            if (err) fdd.Save(); // from memory
            WriteSector(fdd, 1); // into the file the image now is
            fdd.Save();
            if (halfway) Reformat(fdd, kShorter); // the same image, rewritten
            if (halfway && (saveAtTheLimit(kLength[kShorter] - 1) != EFBIG || fdd.FileDamaged() ||
                            !fdd.FileAsBefore() || !fdd.RescuedPath().empty()))
                return fail("damage or a copy told of a whole file");
            if (halfway) WriteSector(fdd, 1), fdd.Save();
            return fdd.GetFilePath() != open || fdd.FollowedMove() ? fail("moved") : 0;
        });
        ::chmod(folder.c_str(), 0755);
        ASSERT_NE(answer, -1) << "could not become an ordinary user";
        EXPECT_EQ(answer, 0);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2);
        EXPECT_EQ(std::distance(fs::directory_iterator(rescue), {}), sparse ? 1 : 0);
        EXPECT_TRUE(fs::is_symlink(open));
        struct stat now {};
        ASSERT_EQ(::stat(path.c_str(), &now), 0);
        EXPECT_EQ(now.st_uid, old.st_uid);
        EXPECT_TRUE(c.folder == kOwn || now.st_ino == old.st_ino); // in place
        if (sparse) continue;
        EXPECT_EQ(uint64_t(now.st_size), kLength[c.change]);
        ExpectSaved(path, true, 2, c.change == kShorter);
    }
}

// Names up to the 255 bytes a folder entry may hold, multi-byte characters included: the
// image saves, and the names a save makes beside it fit and stay whole UTF-8.
TEST(SavePlace, LongNamesFit) {
    std::string kana;
    for (int i = 0; i < 83; ++i)
        kana += "\xe3\x81\x82"; // U+3042, three bytes
    // 244 bytes: the first whose readable temporary name would not fit.
    for (const std::string& name : {std::string(251, 'n') + ".d88", kana + ".img",
                                    std::string(255, 'x'), std::string(240, 'y') + ".d88"}) {
        SCOPED_TRACE(name.size());
        const std::string prefix = SaveTempPrefix(name);
        EXPECT_LE(prefix.size() + 6, 255u);
        const std::string beside = fs::path(NameBeside("/d/" + name, 12)).filename();
        EXPECT_LE(beside.size(), 255u);
        EXPECT_EQ(fs::path(beside).extension(), fs::path(name).extension());
        for (const std::string& made : {prefix, beside}) // no character cut in two
            EXPECT_TRUE(std::regex_match(made, std::regex("(\xe3\x81\x82|[ -~])*"))) << made;
        OpenImage image(AddressedImage(327680), name);
        FormatTrack(image.fdd, 1, 0, {{1, 256}});
        EXPECT_NO_THROW(image.fdd.Close());
        EXPECT_EQ(image.dir.Count(), 1);
    }
}

// Opening an image to write removes what cut-short saves of that image left: plain files
// of its own temporary naming that nobody holds. Everything else stays: other images'
// leftovers, names one letter off, a folder or a link of that naming, a file in use, and
// all of it when the image is only opened to read.
TEST(SavePlace, LeftoversOfCutSavesGoOnOpen) {
    TempDir dir("fdd");
    WriteFile(dir / "disk.d88", "");
    const std::string prefix = SaveTempPrefix("disk.d88");
    const std::string gone[] = {prefix + "a1B2c3", prefix + "ZZZZZZ"};
    const std::string kept[] = {prefix + "a1B2c", prefix + "a1B2c3d", prefix + "a1B2c.",
                                SaveTempPrefix("disk.d8") + "a1B2c3", "disk.d88.bak"};
    for (const auto& f : {gone[0], gone[1], kept[0], kept[1], kept[2], kept[3], kept[4]})
        WriteFile(dir / f, "");
    fs::create_directory(dir / (prefix + "dir000"));
    fs::create_symlink(dir / "disk.d88.bak", dir / (prefix + "link00"));
    WriteFile(dir / (prefix + "inUse0"), {3});
    // Long names shortened alike: only the hash of the whole name tells them apart.
    const std::string longName = std::string(250, 'L') + "1.d88";
    const std::string otherLeftover = SaveTempPrefix(std::string(250, 'L') + "2.d88") + "d4E5f6";
    WriteFile(dir / otherLeftover, {4});
    WriteFile(dir / (SaveTempPrefix(longName) + "a1B2c3"), {4});
    CFile inUse;
    ASSERT_TRUE(inUse.Open(dir / (prefix + "inUse0"), CFile::modeReadWrite));

    const auto all = dir.Count();
    {
        CFileFdd reader;
        ASSERT_TRUE(reader.Open(dir / "disk.d88", CFile::modeRead));
        EXPECT_EQ(dir.Count(), all);
    }
    CFileFdd fdd;
    ASSERT_TRUE(fdd.Open(dir / "disk.d88", CFile::modeReadWrite));
    EXPECT_EQ(dir.Count(), all - 2);
    for (const auto& f : gone)
        EXPECT_FALSE(fs::exists(dir / f)) << f;
    EXPECT_TRUE(fs::exists(dir / (prefix + "inUse0")));
    EXPECT_TRUE(fs::is_symlink(dir / (prefix + "link00")));
    WriteFile(dir / longName, "");
    CFileFdd other;
    ASSERT_TRUE(other.Open(dir / longName, CFile::modeReadWrite));
    EXPECT_FALSE(fs::exists(dir / (SaveTempPrefix(longName) + "a1B2c3")));
    EXPECT_TRUE(fs::exists(dir / otherLeftover));
    EXPECT_EQ(dir.Count(), all - 2); // the long name's image in, its leftover out
}

// An image is a regular file. A FIFO (here with bytes waiting for its reader), a device,
// or a link to one is refused in either mode, without blocking and without taking
// anything from the FIFO; the folder stays as it was.
TEST(SavePlace, OnlyRegularFilesAreImages) {
    TempDir dir("fdd");
    const std::string fifo = dir / "fifo.d88";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "waiting", 7), 7);
    fs::create_symlink(fifo, dir / "to-fifo");
    fs::create_symlink("/dev/null", dir / "to-null.d88");
    const auto count = dir.Count();
    for (const std::string& path :
         {fifo, dir / "to-fifo", dir / "to-null.d88", std::string("/dev/null")}) {
        for (const auto mode : {CFile::modeReadWrite, CFile::modeRead}) {
            SCOPED_TRACE(path + (mode == CFile::modeRead ? " to read" : " to write"));
            CFileFdd fdd;
            ASSERT_FALSE(fdd.Open(path, mode)); // never formatted and saved over the device
            EXPECT_EQ(fdd.OpenError(), EINVAL);
        }
    }
    char got[8] = {};
    EXPECT_EQ(::read(writer, got, sizeof got), 7);
    EXPECT_STREQ(got, "waiting");
    ::close(writer);
    EXPECT_EQ(dir.Count(), count);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

} // namespace
