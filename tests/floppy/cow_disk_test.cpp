// A save into the image's own file on a full disk whose file system copies on write: there
// an overwrite needs new blocks however much room was reserved for the file, so with only a
// little room left it would stop partway. The rescue copy that must exist first does not fit
// either, so the save fails before the file changes.
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "fdd_test_util.h"
#include "full_disk.h"
#include "private_mounts.h"
#include "tests/platform/guards.h"

namespace fs = std::filesystem;

namespace {

// A btrfs disk of 16 MB (data and metadata mixed, the smallest there is), full but for
// 96 KB: less than the image, enough for an overwrite of it to start. On it, a folder the
// ordinary user may not add to, holding that user's D88 image, and a rescue folder of the
// user's (the home folder, say). The guest formats a track of the image the same way as
// before and writes its sector: the save would rewrite the file at the same length, so the
// reservation succeeds and only the copy fails. The save throws what refused the new file
// beside the image, tells why there is no copy (no room), names none and keeps the change;
// the image is as it was, byte for byte, with nothing beside it or in the rescue folder.
TEST(CopyOnWriteDisk, FullDiskLeavesTheImageAsItWas) {
    if (::geteuid() != 0) GTEST_SKIP() << "not root: no disk of the test's own to mount";
    if (OrdinaryUser() == 0) GTEST_SKIP() << "root, without a user `nobody` to become";
    TempDir dir("cow");
    const std::string disk = dir / "btrfs.img", log = dir / "mkfs.log", top = dir / "m";
    const std::string folder = top + "/f", path = folder + "/disk.d88", rescue = top + "/home";
    ASSERT_TRUE(WriteFile(disk, ""));
    ASSERT_EQ(::truncate(disk.c_str(), 16 << 20), 0);
    const std::string why = MakeFileSystem({"mkfs.btrfs", "-q", "-f", "--mixed", disk}, log);
    if (!why.empty()) GTEST_SKIP() << why;
    fs::create_directory(top);
    PrivateMounts mounts;
    if (!mounts.LoopDisk(disk, top, "btrfs")) GTEST_SKIP() << "no btrfs: " << mounts.Why();

    fs::create_directory(folder), fs::create_directory(rescue);
    ASSERT_EQ(::chmod(top.c_str(), 0755) | ::chmod(folder.c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(path, AddressedImage(327680)));
    CFileFdd d88;
    ASSERT_TRUE(d88.Open(path, CFile::modeReadWrite));
    FormatTrack(d88, 1, 0, {{1, 256}});
    d88.Close();
    ASSERT_TRUE(GiveToOrdinaryUser(path) && GiveToOrdinaryUser(rescue));
    ASSERT_TRUE(WriteFile(top + "/room", Bytes(96 << 10, 1)));
    ASSERT_EQ(Fill(top + "/filler"), ENOSPC);
    fs::remove(top + "/room");
    const int topFd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::syncfs(topFd) | ::close(topFd), 0);
    const Bytes was = ReadFile(path);
    ASSERT_EQ(was.size(), 688 + 79 * 16 * 272 + 272u) << "not the D88 image";

    const int answer = AsOrdinaryUser([&] {
        auto fail = [](const char* what) { return std::printf("%s\n", what), 1; };
        CFileFdd fdd;
        if (!fdd.Open(path, CFile::modeReadWrite)) return fail("not opened");
        fdd.SetRescueFolder(rescue);
        FormatTrack(fdd, 1, 0, {{1, 256}});
        const Bytes data = Pattern(256, 0x10);
        if (fdd.SeekSector(1, 0, 0) != 256) return fail("no formatted sector");
        fdd.Write(data.data(), 256);
        const int err = ErrnoOf([&] { fdd.Save(); });
        if (err != EACCES) return std::printf("save: %s\n", std::strerror(err)), 1;
        if (fdd.RescueError() != ENOSPC && fdd.RescueError() != EDQUOT)
            return std::printf("copy: %s\n", std::strerror(fdd.RescueError())), 1;
        if (!fdd.FileAsBefore() || fdd.FileDamaged()) return fail("the file changed");
        if (!fdd.RescuedPath().empty()) return fail("a rescue file named");
        return fdd.HasUnsavedChanges() ? 0 : fail("the change forgotten");
    });
    ASSERT_NE(answer, -1) << "could not become an ordinary user";
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(ReadFile(path) == was) << "the image changed";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(rescue), {}), 0);
}

} // namespace
