// Saves of a floppy image on disks that fail under it: the disk beneath a file system that
// cannot take a write-back, a file system an error turned read-only, a disk whose room runs
// out between the rescue copy and the rewrite. Each is a real file system in a file, mounted
// through a loop device in the test's own mount namespace (root only).
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fdd_test_util.h"
#include "full_disk.h"
#include "platform/file_save.h"
#include "private_mounts.h"
#include "tests/platform/guards.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBlank = 327680; // the README's blank disk: a raw image
// The blank disk as D88 once the guest formatted track 1 with one sector.
constexpr uint64_t kD88Length = 688 + 79 * 16 * 272 + 272;

const Bytes kGuestData = Pattern(256, 0x10);

// The guest writes sector C1 H0 R1; false when the image has no such sector.
bool WriteGuestSector(CFileFdd& fdd) {
    if (fdd.SeekSector(1, 0, 0) != 256) return false;
    fdd.Write(kGuestData.data(), 256);
    return true;
}

// Whether the image at `path` (raw or D88) holds the guest's sector, and around it the rest
// of the image: AddressedImage's bytes where `addressed`, else the blank disk's zeros.
bool HoldsChange(const std::string& path, bool addressed) {
    CFileFdd back;
    if (!back.Open(path, CFile::modeRead)) return false;
    const Bytes last = ReadSector(back, 20, 1, 16);
    const uint32_t word = addressed ? (20 * 8192 + 8192 - 256) / 4 : 0;
    return ReadSector(back, 1, 0, 1) == kGuestData && last.size() == 256u && Le32(last, 0) == word;
}

// What the body AsOrdinaryUserServed runs may ask of the test process, which is still root.
struct RootCall {
    static inline int ask = -1, answer = -1;
    // Asks, and waits until it is done; false when there was no answer.
    static bool Ask() {
        char c = 1;
        return ::write(ask, &c, 1) == 1 && ::read(answer, &c, 1) == 1;
    }
};

// As AsOrdinaryUser, while this process runs `serve` each time the body calls
// RootCall::Ask, and answers once it is done.
int AsOrdinaryUserServed(const std::function<int()>& body, const std::function<void()>& serve) {
    int up[2], down[2];
    if (OrdinaryUser() == 0 || ::pipe2(up, O_CLOEXEC) != 0) return -1;
    if (::pipe2(down, O_CLOEXEC) != 0) return ::close(up[0]), ::close(up[1]), -1;
    Child child;
    const bool started = child.Start([&] {
        RootCall::ask = up[1], RootCall::answer = down[0];
        return BecomeOrdinaryUser() ? body() : 255;
    });
    ::close(up[1]), ::close(down[0]);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(100);
    pollfd asked{up[0], POLLIN, 0};
    char c = 0;
    while (started && child.Running() && std::chrono::steady_clock::now() < end) {
        if (::poll(&asked, 1, 10) != 1 || ::read(up[0], &c, 1) != 1) continue;
        serve();
        if (::write(down[1], &c, 1) != 1) break;
    }
    ::close(up[0]), ::close(down[1]);
    if (!started || !child.Wait(1) || child.ExitCode() == 255) return -1;
    return child.ExitCode() >= 0 ? child.ExitCode() : 128 + WTERMSIG(child.Status());
}

// The guest writes a sector of the blank disk on ext4, which lies in a file on a small
// memory disk: the sector needs a new block of the ext4 disk, so a new page of the memory
// disk, and the memory disk is full. The save fails (the flush's EIO or ENOSPC), and the
// sector still reads as the guest wrote it, whatever the file lost. With room again the next
// save succeeds, and the sector is on the disk: mounted again, with nothing of
// it left in memory, the image holds it. A flush alone would not do: the kernel tells of a
// failed write-back once, and the block it could not write stays unwritten (nor would the
// same bytes written again over the page it keeps: the block stays unwritten as long as
// that page is in memory).
TEST(FailingDisk, WriteBackErrorIsSavedAgain) {
    if (::geteuid() != 0) GTEST_SKIP() << "not root: no disk of the test's own to mount";
    TempDir dir("disk");
    const std::string memory = dir / "mem", top = dir / "m", disk = memory + "/ext4.img";
    const std::string path = top + "/disk.img", filler = memory + "/filler";
    fs::create_directory(memory), fs::create_directory(top);
    PrivateMounts mounts;
    if (!mounts.SmallDisk(memory, 8 << 20)) GTEST_SKIP() << mounts.Why();
    if (const std::string why = MakeExt("ext4", disk, dir / "mkfs.log"); !why.empty())
        GTEST_SKIP() << why;
    if (!mounts.LoopDisk(disk, top, "ext4")) GTEST_SKIP() << "no ext4: " << mounts.Why();
    ASSERT_TRUE(SparseFile(path, kBlank) && SyncDisk(top));
    ASSERT_EQ(Fill(filler), ENOSPC);

    CFileFdd fdd;
    ASSERT_TRUE(fdd.Open(path, CFile::modeReadWrite));
    ASSERT_TRUE(WriteGuestSector(fdd));
    const int err = ErrnoOf([&] { fdd.Save(); });
    EXPECT_TRUE(err == EIO || err == ENOSPC) << "save: " << std::strerror(err);
    EXPECT_TRUE(fdd.HasUnsavedChanges());
    EXPECT_TRUE(ReadSector(fdd, 1, 0, 1) == kGuestData) << "the sector reads otherwise";
    fs::remove(filler);
    EXPECT_EQ(ErrnoOf([&] { fdd.Save(); }), 0);
    EXPECT_EQ(ErrnoOf([&] { fdd.Close(); }), 0);
    ASSERT_TRUE(mounts.Unmount(top) && mounts.LoopDisk(disk, top, "ext4")) << mounts.Why();
    EXPECT_TRUE(HoldsChange(path, false)) << "the sector is not on the disk";
}

// An error turns the image's file system read-only (ext4 mounted with errors=remount-ro, the
// error raised through its trigger in sysfs): writes and flushes fail with EROFS from then on.
// The user saves into a folder of the test's, so a rewrite goes into the image's own file.
// - The guest wrote a sector of a raw image in place, then the error comes, before the save
//   or right before it flushes the file: the save fails, the sector never reached the disk;
//   the close fails too, and leaves a rescue copy holding the sector on another file system.
// - The guest formatted a track and wrote its sector, and the error comes right before the
//   rewritten file is flushed: the save and the close fail, and after each the change is
//   whole on a disk, in the image or in the rescue copy named; a copy the save named is the
//   one the close names, not written again.
TEST(FailingDisk, ReadOnlyAfterAnErrorKeepsTheChange) {
    if (::geteuid() != 0) GTEST_SKIP() << "not root: no disk of the test's own to mount";
    enum { kSaved = 1, kNoCopyAfterSave = 2, kClosed = 4, kNoCopyAfterClose = 8, kRecopied = 16 };
    constexpr int kBroken = 64;
    // Whether the guest formats a track; whether the error comes at the flush (else before).
    const std::array<bool, 2> cases[] = {{false, false}, {false, true}, {true, true}};
    for (const auto [format, atFlush] : cases) {
        SCOPED_TRACE(testing::Message() << (format ? "a track formatted" : "a sector written")
                                        << (atFlush ? ", error at the flush" : ", error before"));
        TempDir dir("disk");
        if (const std::string why = WhyNotAsOrdinaryUser(dir.Path()); !why.empty())
            GTEST_SKIP() << why;
        const std::string disk = dir / "ext4.img", top = dir / "m", folder = top + "/f";
        const std::string path = folder + "/disk.img", rescue = dir / "home";
        if (const std::string why = MakeExt("ext4", disk, dir / "mkfs.log"); !why.empty())
            GTEST_SKIP() << why;
        fs::create_directory(top);
        PrivateMounts mounts;
        if (!mounts.LoopDisk(disk, top, "ext4", "errors=remount-ro"))
            GTEST_SKIP() << "no ext4: " << mounts.Why();
        const std::string trigger = "/sys/fs/ext4/" + mounts.LoopDevice(top) + "/trigger_fs_error";
        if (::access(trigger.c_str(), W_OK) != 0) GTEST_SKIP() << "no " << trigger;
        fs::create_directory(folder), fs::create_directory(rescue);
        ASSERT_EQ(::chmod(top.c_str(), 0755) | ::chmod(folder.c_str(), 0755), 0);
        ASSERT_TRUE(WriteFile(path, AddressedImage(kBlank)));
        ASSERT_TRUE(GiveToOrdinaryUser(path) && GiveToOrdinaryUser(rescue) && SyncDisk(top));

        bool raised = false;
        const auto raise = [&] { raised = WriteFile(trigger, "orlo test: a disk error"); };
        const int answer = AsOrdinaryUserServed(
            [&]() -> int {
                const auto hasCopy = [&](const std::string& copy) {
                    return !copy.empty() && FolderOf(copy) == rescue && HoldsChange(copy, true);
                };
                CFileFdd fdd;
                if (!fdd.Open(path, CFile::modeReadWrite)) return kBroken;
                fdd.SetRescueFolder(rescue);
                if (format) FormatTrack(fdd, 1, 0, {{1, 256}});
                if (!WriteGuestSector(fdd)) return kBroken;
                if (!atFlush && !RootCall::Ask()) return kBroken;
                static bool asked;
                asked = !atFlush;
                g_pFileTestSeam = [](const char* where) {
                    if (!asked && std::string(where) == "flush") asked = RootCall::Ask();
                };
                int result = 0;
                const int saved = ErrnoOf([&] { fdd.Save(); });
                std::printf("save: %s, copy \"%s\"\n", std::strerror(saved),
                            fdd.RescuedPath().c_str());
                result |=
                    (saved ? 0 : kSaved) | (hasCopy(fdd.RescuedPath()) ? 0 : kNoCopyAfterSave);
                const std::string copy = fdd.RescuedPath();
                struct stat first {};
                struct stat then {};
                const bool copied = !copy.empty() && ::stat(copy.c_str(), &first) == 0;
                const int closed = ErrnoOf([&] { fdd.Close(); });
                if (copied && (fdd.RescuedPath() != copy || ::stat(copy.c_str(), &then) != 0 ||
                               then.st_ino != first.st_ino))
                    result |= kRecopied;
                g_pFileTestSeam = nullptr;
                std::printf("close: %s, copy \"%s\"\n", std::strerror(closed),
                            fdd.RescuedPath().c_str());
                return result | (closed ? 0 : kClosed) |
                       (hasCopy(fdd.RescuedPath()) ? 0 : kNoCopyAfterClose);
            },
            raise);
        ASSERT_NE(answer, -1) << "could not become an ordinary user";
        ASSERT_LT(answer, kBroken) << "the image did not open, or had no sector to write";
        EXPECT_TRUE(raised) << "no disk error raised";
        EXPECT_FALSE(answer & kSaved) << "the save succeeded";
        EXPECT_FALSE(answer & kClosed) << "the close succeeded";
        EXPECT_FALSE(answer & kRecopied)
            << "the close wrote the save's copy again, or named another";
        // What the disk holds, mounted again with nothing of the image left in memory.
        ASSERT_TRUE(mounts.Unmount(top) && mounts.LoopDisk(disk, top, "ext4")) << mounts.Why();
        const bool inImage = format && HoldsChange(path, true);
        EXPECT_TRUE(!format || inImage || !(answer & kNoCopyAfterSave))
            << "after the save the change is neither in the image nor in the copy named";
        EXPECT_TRUE(inImage || !(answer & kNoCopyAfterClose))
            << "after the close the change is neither in the image nor in the copy named";
    }
}

// A disk with room for the rescue copy of the new image and less besides.
struct Crowded {
    const char* name;
    const char* type; // ext2 cannot reserve room; ext4 keeps what a failed reservation took
    bool sparse;      // the blank disk, all holes; else its D88 image, written whole
    uint64_t besides; // room beyond the copy's
    bool fits;        // whether the save can write the image into its file
};

// The user saves a formatted track and a sector into the image's own file (it is in a folder
// of the test's), with the rescue folder on the same disk. The copy goes first: a blank disk
// whose holes find no room once the copy took its share stays as it was, bytes, length and
// blocks, after the failed save and after the failed close, and both name the one copy
// written, which holds the change. A whole D88 image rewritten at its length needs no new
// block, however little room the copy left: the save goes through, no copy left behind.
TEST(FailingDisk, CrowdedDiskTakesTheCopyFirst) {
    if (::geteuid() != 0) GTEST_SKIP() << "not root: no disk of the test's own to mount";
    constexpr uint64_t kBlock = 4096, kHalf = kD88Length / 2;
    // The copy's blocks, and one of bookkeeping (ext2's indirect block).
    constexpr uint64_t kCopy = (kD88Length + kBlock - 1) / kBlock * kBlock + kBlock;
    const Crowded cases[] = {
        {"ext2, the blank disk: room for the copy, not for the holes", "ext2", true, kHalf, false},
        {"ext2, a whole image: room for the copy and a little", "ext2", false, 16 * kBlock, true},
        {"ext4, the blank disk: room for the copy, not for its reservation", "ext4", true, kHalf,
         false}};
    for (const Crowded& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir("disk");
        if (const std::string why = WhyNotAsOrdinaryUser(dir.Path()); !why.empty())
            GTEST_SKIP() << why;
        const std::string disk = dir / "disk.img", top = dir / "m", folder = top + "/f";
        const std::string path = folder + "/disk.img", rescue = top + "/home";
        if (const std::string why = MakeExt(c.type, disk, dir / "mkfs.log"); !why.empty())
            GTEST_SKIP() << why;
        fs::create_directory(top);
        PrivateMounts mounts;
        if (!mounts.LoopDisk(disk, top, c.type))
            GTEST_SKIP() << "no " << c.type << ": " << mounts.Why();
        fs::create_directory(folder), fs::create_directory(rescue);
        ASSERT_EQ(::chmod(top.c_str(), 0755) | ::chmod(folder.c_str(), 0755), 0);
        if (c.sparse) {
            ASSERT_TRUE(SparseFile(path, kBlank));
        } else {
            ASSERT_TRUE(WriteFile(path, AddressedImage(kBlank)));
            CFileFdd d88;
            ASSERT_TRUE(d88.Open(path, CFile::modeReadWrite));
            FormatTrack(d88, 1, 0, {{1, 256}});
            d88.Close();
        }
        ASSERT_TRUE(GiveToOrdinaryUser(path) && GiveToOrdinaryUser(rescue));
        ASSERT_EQ(Fill(top + "/filler"), ENOSPC);
        ASSERT_TRUE(LeaveFree(top + "/filler", kCopy + c.besides));
        const Bytes was = ReadFile(path);
        struct stat old {};
        ASSERT_EQ(::stat(path.c_str(), &old), 0);
        ASSERT_EQ(uint64_t(old.st_size), c.sparse ? kBlank : kD88Length);

        const int answer = AsOrdinaryUser([&] {
            auto fail = [](const char* what) { return std::printf("%s\n", what), 1; };
            const auto asBefore = [&] {
                struct stat now {};
                return ::stat(path.c_str(), &now) == 0 && now.st_ino == old.st_ino &&
                       now.st_size == old.st_size && now.st_blocks == old.st_blocks &&
                       ReadFile(path) == was;
            };
            CFileFdd fdd;
            if (!fdd.Open(path, CFile::modeReadWrite)) return fail("not opened");
            fdd.SetRescueFolder(rescue);
            FormatTrack(fdd, 1, 0, {{1, 256}});
            if (!WriteGuestSector(fdd)) return fail("no formatted sector");
            const int err = ErrnoOf([&] { fdd.Save(); });
            if (c.fits) {
                if (err) return std::printf("save: %s\n", std::strerror(err)), 1;
                if (!fdd.RescuedPath().empty()) return fail("a rescue file named");
                return ErrnoOf([&] { fdd.Close(); }) ? fail("the close failed") : 0;
            }
            if (err != ENOSPC && err != EDQUOT)
                return std::printf("save: %s\n", std::strerror(err)), 1;
            if (!fdd.FileAsBefore() || fdd.FileDamaged() || !asBefore())
                return fail("the image changed, or its blocks");
            const std::string copy = fdd.RescuedPath();
            struct stat first {};
            struct stat then {};
            if (copy.empty() || !HoldsChange(copy, !c.sparse) || ::stat(copy.c_str(), &first) != 0)
                return fail("no copy of the change named");
            if (!ErrnoOf([&] { fdd.Close(); })) return fail("the close succeeded");
            if (!asBefore()) return fail("the image changed at the close, or its blocks");
            if (fdd.RescuedPath() != copy || ::stat(copy.c_str(), &then) != 0 ||
                then.st_ino != first.st_ino)
                return fail("the close named another copy, or wrote it again");
            return HoldsChange(copy, !c.sparse) ? 0 : fail("the copy lost the change");
        });
        ASSERT_NE(answer, -1) << "could not become an ordinary user";
        EXPECT_EQ(answer, 0);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
        EXPECT_EQ(std::distance(fs::directory_iterator(rescue), {}), c.fits ? 0 : 1);
        EXPECT_TRUE(!c.fits || HoldsChange(path, true)) << "the change is not in the image";
    }
}

} // namespace
