// The real program (tests/program/program.h) ended and left running.
// - Ended by SIGHUP, by SIGTERM at a file-size limit, or by a stream of SIGTERM or SIGINT,
//   the program exits with status 0 and leaves the image holding the change and the
//   settings written. Under a file-size limit too small for the new image the save fails
//   cleanly: the image as it was, nothing beside.
// - An image deleted, or replaced by a backup, while the guest goes on writing loses
//   nothing: it is written back, or put beside the backup, which stays as it was; left
//   running, the image holds the change a few seconds later. A single SIGTERM ends every
//   case below with status 0.
// - Names as long as the file system allows save; what a killed save left is removed.
// - A quit signal at any moment once the program catches it, start-up included, ends it
//   with status 0, also while it tells of a FIFO configured as a floppy drive, which it
//   never opens.
// - A settings file that is a link to a file not made yet is written where the link
//   points; one that is no plain file (a FIFO, a folder) is never opened and stays.
#include <gtest/gtest.h>

#include <optional>

#include "tests/program/program.h"

namespace {

namespace fs = std::filesystem;

struct Case {
    const char* name;
    int signal;
    rlim_t fileSizeLimit; // 0: none
    bool stream;          // the signal again and again until the program is gone
};

class Ending : public Program, public ::testing::WithParamInterface<Case> {};

TEST_P(Ending, NothingIsLost) {
    const Case& c = GetParam();
    MakeImage();
    const Bytes original = BootImage();
    ASSERT_NO_FATAL_FAILURE(Start(c.fileSizeLimit));
    ASSERT_NO_FATAL_FAILURE(WaitForGuest("done"));
    ASSERT_NO_FATAL_FAILURE(Quit(c.signal, c.stream));
    if (c.fileSizeLimit == 0) {
        EXPECT_TRUE(HoldsTheChange(m_image));
    } else {
        EXPECT_EQ(ReadFile<std::string>(m_image), std::string(original.begin(), original.end()));
        EXPECT_EQ(m_dir.Count("disks"), 1);
    }
    const std::string written = ReadFile<std::string>(m_settings);
    EXPECT_NE(written.find("2D0=" + m_image + "\n"), std::string::npos) << written;
    EXPECT_NE(written.find("DipSW=159\n"), std::string::npos) << written; // only at exit
}

INSTANTIATE_TEST_SUITE_P(
    Signals, Ending,
    ::testing::Values(Case{"HungUp", SIGHUP, 0, false},
                      Case{"TerminatedAtTheFileSizeLimit", SIGTERM, 8192, false},
                      Case{"StreamOfTerminations", SIGTERM, 0, true},
                      Case{"StreamOfInterrupts", SIGINT, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

// After the guest's first change has been saved, the user deletes the image or puts a
// backup in its place; the guest then writes again. A deleted image comes back whole with
// its permission bits; a backup stays as it is and the image goes beside it, while the
// settings keep naming the backup.
TEST_F(Program, ImageDeletedOrReplacedWhileInUse) {
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replaced" : "deleted");
        for (const char* f : {"done", "done2", "go"})
            fs::remove(m_dir / f);
        MakeImage();
        ::chmod(m_image.c_str(), 0640);
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(WaitForGuest("done"));
        ASSERT_TRUE(WaitFor([&] { return HoldsTheChange(m_image); }, 8)) << "not saved";
        const Bytes backup = BootImage();
        if (replace) {
            WriteFile(m_dir / "backup.d88", backup);
            fs::rename(m_dir / "backup.d88", m_image);
        } else {
            fs::remove(m_image);
        }
        WriteFile(m_dir / "go", "");
        ASSERT_NO_FATAL_FAILURE(WaitForGuest("done2"));
        const std::string saved = replace ? m_dir / "disks/boot-1.d88" : m_image;
        EXPECT_TRUE(WaitFor([&] { return HoldsTheChange(saved, true); }, 8)) << "not saved";
        ASSERT_NO_FATAL_FAILURE(Quit(SIGTERM));
        EXPECT_TRUE(HoldsTheChange(saved, true));
        EXPECT_EQ(int(fs::status(saved).permissions()), 0640);
        if (replace) {
            EXPECT_EQ(ReadFile<std::string>(m_image), std::string(backup.begin(), backup.end()));
            EXPECT_EQ(m_dir.Count("disks"), 2);
        }
        EXPECT_NE(ReadFile<std::string>(m_settings).find("2D0=" + m_image + "\n"), std::string::npos);
    }
}

// A name of 255 bytes, the most a folder entry may hold, beside what a save killed halfway
// left for it and for the image of the usual name: the next run removes those leftovers,
// keeps everything else, and saves the long-named image.
TEST_F(Program, LongNamesSaveAndLeftoversGo) {
    MakeImage(std::string(251, 'n') + ".d88");
    const std::string image = m_image;
    MakeImage();
    const std::string leftovers[] = {".boot.d88.saveAb3xYz",
                                     SaveTempPrefix(fs::path(image).filename()) + "Q1w2E3"};
    const std::string kept[] = {".boot.d88.saveAb3xY", ".boot.d88.saveAb3xYz1",
                                ".boo.d88.saveAb3xYz", "notes.txt"};
    for (const std::string& f : leftovers)
        WriteFile(m_dir / ("disks/" + f), BootImage());
    for (const std::string& f : kept)
        WriteFile(m_dir / ("disks/" + f), {1, 2, 3});
    std::ofstream(m_settings) << "[ORLO]\n2D0=" << image << "\n2D1=" << m_image << "\n";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WaitForGuest("done"));
    EXPECT_TRUE(WaitFor([&] { return HoldsTheChange(image); }, 8)) << ReadFile<std::string>(m_dir / "log");
    for (const std::string& f : leftovers)
        EXPECT_FALSE(fs::exists(m_dir / ("disks/" + f))) << f;
    for (const std::string& f : kept)
        EXPECT_TRUE(fs::exists(m_dir / ("disks/" + f))) << f;
    ASSERT_NO_FATAL_FAILURE(Quit(SIGTERM));
    EXPECT_TRUE(HoldsTheChange(image));
}

// SIGTERM from the moment the program catches it until its window is up, at a few
// points of its start-up: the program ends with status 0 and writes its settings. At every
// other point a FIFO with bytes waiting for its reader is configured as mini drive 1: it
// is no image, the program tells so in a box (which the signal cancels) and never opens
// it; the FIFO stays a FIFO with its bytes, and the settings keep naming it. (Drives are
// opened before the program takes a quit signal, so the quit comes after whatever it did
// to the FIFO.)
TEST_F(Program, QuitSignalDuringStartUp) {
    for (const int delayMs : {0, 1, 3, 10, 30, 100}) {
        SCOPED_TRACE(delayMs);
        const bool withFifo = delayMs % 3 == 0;
        MakeImage();
        const std::string fifo = m_dir / "disks/fifo.d88";
        fs::remove(fifo);
        std::optional<Watch> watch;
        int writer = -1;
        if (withFifo) {
            ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
            writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            ASSERT_GE(writer, 0);
            ASSERT_EQ(::write(writer, "waiting", 7), 7);
            std::ofstream(m_settings) << "[ORLO]\n2D0=" << m_image << "\n2D1=" << fifo << "\n";
            ASSERT_TRUE(watch.emplace(fifo).Ok());
        }
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(WaitForHandlers()) << Ended();
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ASSERT_NO_FATAL_FAILURE(Quit(SIGTERM));
        const std::string settings = ReadFile<std::string>(m_settings);
        EXPECT_NE(settings.find("DipSW=159\n"), std::string::npos);
        if (!withFifo) continue;
        EXPECT_FALSE(watch->Touched()) << "the program opened the FIFO";
        char got[8] = {};
        EXPECT_EQ(::read(writer, got, sizeof got), 7);
        EXPECT_STREQ(got, "waiting");
        ::close(writer);
        EXPECT_TRUE(fs::is_fifo(fifo));
        EXPECT_NE(settings.find("2D1=" + fifo + "\n"), std::string::npos);
    }
}

// Orlo.conf a link (through a second one, both relative) to a file in a folder that does
// not exist yet, as a dotfiles folder has it: the links stay, the file is made. Orlo.conf a
// FIFO or a folder: the program starts (the user is told in a box, which the signal
// cancels), never opens it, ends with status 0 on SIGTERM without trying to write it, and
// leaves it as it was. (The settings are read before the program takes a quit signal.)
TEST_F(Program, SettingsFileALinkOrNoPlainFile) {
    for (const std::string kind : {"link", "FIFO", "folder"}) {
        SCOPED_TRACE(kind);
        fs::create_directories(m_dir / "config/Helka");
        fs::remove_all(m_settings);
        if (kind == "link") {
            fs::create_symlink("../../dotfiles/current.conf", m_settings);
            fs::create_directories(m_dir / "dotfiles");
            fs::create_symlink("orlo/Orlo.conf", m_dir / "dotfiles/current.conf");
        } else {
            ASSERT_TRUE(kind == "FIFO" ? ::mkfifo(m_settings.c_str(), 0600) == 0
                                       : fs::create_directory(m_settings));
        }
        std::optional<Watch> watch;
        if (kind != "link") watch.emplace(m_settings);
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(WaitForHandlers()) << Ended();
        ASSERT_NO_FATAL_FAILURE(Quit(SIGTERM));
        EXPECT_TRUE(!watch || (watch->Ok() && !watch->Touched())) << "the program opened it";
        EXPECT_EQ(m_dir.Count("config/Helka"), 1);
        const std::string log = ReadFile<std::string>(m_dir / "log");
        EXPECT_EQ(log.find("設定を保存できませんでした"), std::string::npos) << log;
        struct stat st {};
        ASSERT_EQ(::lstat(m_settings.c_str(), &st), 0);
        if (kind == "link") {
            EXPECT_TRUE(S_ISLNK(st.st_mode) && fs::is_symlink(m_dir / "dotfiles/current.conf"));
            EXPECT_NE(ReadFile<std::string>(m_dir / "dotfiles/orlo/Orlo.conf").find("DipSW=159\n"),
                      std::string::npos);
            EXPECT_EQ(m_dir.Count("dotfiles/orlo"), 1);
        } else {
            EXPECT_TRUE(kind == "FIFO" ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode));
            EXPECT_EQ(m_dir.Count("config/Helka/Orlo.conf"), 0);
        }
    }
}

} // namespace
