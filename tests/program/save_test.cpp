// The real program (tests/program/program.h) with an image it cannot save as usual.
// - Formatted in a folder the user may not write to: the save goes into the image's own
//   file, nothing beside it. Deleted there: at the end the whole image goes to a new file
//   in the program's data folder under the user's home, named after the image with the
//   time, and the message names that file.
// - A single file bound onto the image's name, as a container is given one: the folder
//   cannot replace it (EBUSY), so the save goes into the file, which holds the change.
// - A save that failed for room (a full disk, the file-size limit) is tried again while the
//   guest leaves the disk alone and the box about it waits for an answer: once there is
//   room the image holds the change, the program still running.
// - Started with HOME unset, empty or relative, the program rescues the image under the
//   home the user database gives, never under the root or the working folder.
// - The image's disk turned read-only by an error, or no longer answering at all: what the
//   guest writes then never reaches it, and at the end the whole image goes to a rescue file
//   under the home, which the message names.
#include <optional>
#include <pwd.h>

#include "tests/floppy/full_disk.h"
#include "tests/floppy/private_mounts.h"
#include "tests/program/program.h"

namespace {

TEST_F(Program, ImageInAReadOnlyFolderSavedIntoItselfOrRescued) {
    if (const std::string why = WhyNotAsOrdinaryUser(m_dir.Path()); !why.empty())
        GTEST_SKIP() << why;
    MakeImage();
    const std::string disks = m_dir / "disks";
    ASSERT_EQ(::chmod(disks.c_str(), 0555), 0);
    ASSERT_NO_FATAL_FAILURE(Start(0, true));
    ASSERT_NO_FATAL_FAILURE(WaitForGuest("done"));
    ASSERT_TRUE(WaitFor([&] { return HoldsTheChange(m_image); }, 8)) << "not saved";
    EXPECT_EQ(m_dir.Count("disks"), 1);
    ASSERT_EQ(::chmod(disks.c_str(), 0755), 0);
    fs::remove(m_image);
    ASSERT_EQ(::chmod(disks.c_str(), 0555), 0);
    WriteFile(m_dir / "go", "");
    ASSERT_EQ(::chown((m_dir / "go").c_str(), OrdinaryUser(), gid_t(-1)), 0);
    ASSERT_NO_FATAL_FAILURE(WaitForGuest("done2"));
    ASSERT_NO_FATAL_FAILURE(Quit(SIGTERM));
    ASSERT_NO_FATAL_FAILURE(ExpectRescuedWhole());
    EXPECT_EQ(m_dir.Count("disks"), 0);
}

TEST_F(Program, ImageBoundOntoItsNameSavesIntoIt) {
    PrivateMounts mounts;
    if (!mounts.Why().empty()) GTEST_SKIP() << mounts.Why();
    MakeImage();
    const std::string bound = m_dir / "volume/boot.d88";
    fs::create_directory(m_dir / "volume");
    WriteFile(bound, BootImage());
    ASSERT_TRUE(mounts.Bind(bound, m_image)) << mounts.Why();
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WaitForGuest("done"));
    EXPECT_TRUE(WaitFor([&] { return HoldsTheChange(bound); }, 8)) << "not saved";
    ASSERT_NO_FATAL_FAILURE(Quit(SIGTERM));
    EXPECT_TRUE(HoldsTheChange(bound));
    EXPECT_EQ(m_dir.Count("disks"), 1);
    const std::string log = ReadFile<std::string>(m_dir / "log");
    EXPECT_EQ(log.find("保存できませんでした"), std::string::npos) << log;
}

// How the image's disk fails once the guest's first change is saved: ext4 turned read-only by
// an error (mounted with errors=remount-ro), or a disk that no longer answers (every read and
// write of it fails, as when a network disk's server goes away).
struct DiskFailure {
    const char* name;
    bool stopsAnswering;
};

void PrintTo(const DiskFailure& failure, std::ostream* os) {
    *os << failure.name;
}

class FailingDisk : public Program, public ::testing::WithParamInterface<DiskFailure> {};

// The image's disk fails once the guest's first change is saved; then the guest writes another
// sector. However the system answers (the write refused, or taken and its flush refused, the
// file no longer readable), the change is not lost: at the end the whole image, both changes,
// is in a rescue file under the home, which the log names.
TEST_P(FailingDisk, ImageIsRescued) {
    PrivateMounts mounts;
    if (!mounts.Why().empty()) GTEST_SKIP() << mounts.Why();
    const std::string disk = m_dir / "ext4.img", disks = m_dir / "disks";
    ASSERT_TRUE(WriteFile(disk, "") && ::truncate(disk.c_str(), 16 << 20) == 0);
    if (const std::string why = MakeFileSystem({"mkfs.ext4", "-q", "-F", disk}, m_dir / "mkfs.log");
        !why.empty())
        GTEST_SKIP() << why;
    fs::create_directories(disks);
    if (!mounts.LoopDisk(disk, disks, "ext4", "errors=remount-ro"))
        GTEST_SKIP() << "no ext4: " << mounts.Why();
    const std::string trigger = "/sys/fs/ext4/" + mounts.LoopDevice(disks) + "/trigger_fs_error";
    if (!GetParam().stopsAnswering && ::access(trigger.c_str(), W_OK) != 0)
        GTEST_SKIP() << "no " << trigger;
    MakeImage();
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WaitForGuest("done"));
    ASSERT_TRUE(WaitFor([&] { return HoldsTheChange(m_image); }, 8)) << "not saved";
    if (GetParam().stopsAnswering)
        ASSERT_TRUE(mounts.StopAnswering(disks, disk)) << mounts.Why();
    else
        ASSERT_TRUE(WriteFile(trigger, "a disk error"));
    WriteFile(m_dir / "go", "");
    ASSERT_NO_FATAL_FAILURE(WaitForGuest("done2"));
    ASSERT_NO_FATAL_FAILURE(Quit(SIGTERM));
    ASSERT_NO_FATAL_FAILURE(ExpectRescuedWhole());
}

INSTANTIATE_TEST_SUITE_P(Program, FailingDisk,
                         ::testing::Values(DiskFailure{"TurnedReadOnly", false},
                                           DiskFailure{"StopsAnswering", true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Room {
    const char* name;
    bool diskFull; // else the file-size limit
};

class FailedSave : public Program, public ::testing::WithParamInterface<Room> {};

// The guest's change finds no room (a full disk, the file-size limit), then the guest
// leaves the disk alone and nobody answers the box. Once there is room, the next try, at
// most 10 s after the failed one, saves it: the program still runs.
TEST_P(FailedSave, TriedAgainWhileTheGuestIsIdle) {
    const bool diskFull = GetParam().diskFull;
    std::optional<PrivateMounts> mounts;
    const std::string filler = m_dir / "disks/filler";
    if (diskFull) {
        if (!mounts.emplace().Why().empty()) GTEST_SKIP() << mounts->Why();
        fs::create_directories(m_dir / "disks");
        ASSERT_TRUE(mounts->SmallDisk(m_dir / "disks", 64 << 10)) << mounts->Why();
    }
    MakeImage();
    if (diskFull) { // filled to the last byte
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const char block[4096] = {};
        while (fd >= 0 && ::write(fd, block, sizeof block) > 0) {
        }
        const int err = errno;
        ::close(fd);
        ASSERT_EQ(err, ENOSPC);
    }
    ASSERT_NO_FATAL_FAILURE(Start(diskFull ? 0 : 8192));
    ASSERT_NO_FATAL_FAILURE(WaitForGuest("done"));
    Watch removals(m_dir / "disks", IN_DELETE); // of a failed save's temporary file
    ASSERT_TRUE(removals.WaitFor(SaveTempPrefix("boot.d88"), 30)) << "no save failed in 30 s";
    ASSERT_TRUE(m_child.Running()) << Ended(); // its pid is still its own
    if (diskFull) {
        fs::remove(filler);
    } else {
        const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
        ASSERT_EQ(::prlimit(m_child.Pid(), RLIMIT_FSIZE, &none, nullptr), 0);
    }
    WaitFor([&] { return HoldsTheChange(m_image) || !m_child.Running(); }, 12);
    ASSERT_TRUE(m_child.Running()) << Ended();
    EXPECT_TRUE(HoldsTheChange(m_image)) << "not saved again within 12 s of the failed save";
    ASSERT_NO_FATAL_FAILURE(Quit(SIGTERM));
    EXPECT_TRUE(HoldsTheChange(m_image));
    EXPECT_EQ(m_dir.Count("disks"), 1);
}

INSTANTIATE_TEST_SUITE_P(Program, FailedSave,
                         ::testing::Values(Room{"DiskFull", true}, Room{"FileSizeLimit", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// HOME unset, empty or relative (a service, `env -i`): the image that cannot be saved at
// the end goes under the home the user database gives, the log naming it, and nothing
// goes into the folder the program was started in. A scratch folder is bound onto that
// home (root only), so the real one is never written to, nor the root, made read-only
// but for the test's own folder.
TEST_F(Program, RescueUnderTheHomeOfTheUserDatabase) {
    PrivateMounts mounts;
    if (!mounts.Why().empty()) GTEST_SKIP() << mounts.Why();
    const passwd* pw = ::getpwuid(::getuid());
    const std::string home = pw ? pw->pw_dir : "";
    if (home.empty() || home == "/" || !fs::is_directory(home))
        GTEST_SKIP() << "no home folder of the user's own in the user database: \"" << home << '"';
    if (m_dir.Path().string().starts_with(home + "/"))
        GTEST_SKIP() << "the scratch folder is in the home folder " << home;
    // The program runs from a copy of the test's own: the build may be in that home.
    ASSERT_NO_FATAL_FAILURE(CopyProgram());
    fs::create_directory(m_dir / "home");
    ASSERT_TRUE(mounts.Bind(m_dir / "home", home) && mounts.Bind(m_dir.Path(), m_dir.Path()))
        << mounts.Why();
    ASSERT_EQ(::mount(nullptr, "/", nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
    const std::string folder = ".local/share/Helka/Orlo/rescued";
    for (const std::optional<std::string>& value : {std::optional<std::string>(), {""}, {"rel"}}) {
        SCOPED_TRACE(value ? "HOME=" + *value : "HOME unset");
        for (const char* f : {"done", "done2", "go", "home/.local"})
            fs::remove_all(m_dir / f);
        m_home = value;
        MakeImage();
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(WaitForGuest("done"));
        ASSERT_TRUE(WaitFor([&] { return HoldsTheChange(m_image); }, 8)) << "not saved";
        fs::remove_all(m_dir / "disks"); // the open image has no name, nor a folder to go back to
        WriteFile(m_dir / "go", "");
        ASSERT_NO_FATAL_FAILURE(WaitForGuest("done2"));
        ASSERT_NO_FATAL_FAILURE(Quit(SIGTERM));
        const std::string log = ReadFile<std::string>(m_dir / "log");
        ASSERT_EQ(m_dir.Count("home/" + folder), 1) << log;
        const fs::path rescued = *fs::directory_iterator(m_dir / ("home/" + folder));
        EXPECT_TRUE(HoldsTheChange(rescued, true));
        EXPECT_NE(log.find("次のファイルに保存しました。\n" + home + "/" + folder + "/" +
                           rescued.filename().string()),
                  std::string::npos)
            << log;
        EXPECT_FALSE(fs::exists(m_dir / "rel") || fs::exists(m_dir / ".local"));
    }
}

} // namespace
