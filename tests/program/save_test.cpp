// The real program (tests/program/program.h) with an image it cannot save as usual.
// - Formatted in a folder the user may not write to: the save goes into the image's own
//   file, nothing beside it. Deleted there: at the end the whole image goes to a new file
//   in the program's data folder under the user's home, named after the image with the
//   time, and the message names that file.
// - A single file bound onto the image's name, as a container is given one: the folder
//   cannot replace it (EBUSY), so the save goes into the file, which holds the change.
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
    const std::string log = ReadFile<std::string>(m_dir / "log");
    const std::string folder = ".local/share/Helka/Orlo/rescued";
    ASSERT_EQ(m_dir.Count(folder), 1) << log;
    const std::string rescued = fs::directory_iterator(m_dir / folder)->path();
    EXPECT_TRUE(HoldsTheChange(rescued, true));
    EXPECT_NE(log.find("次のファイルに保存しました。\n" + rescued), std::string::npos) << log;
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

} // namespace
