// The real program on the offscreen platform, with HOME and the settings folder in a
// scratch folder. It boots tests/guest/format.asm from a D88 image in mini drive 0; the
// guest formats track 1 of that image, writes sector 3 and creates the host file "done";
// once an empty host file "go" appears it writes sector 4 and creates "done2", then formats
// track 1 of mini drive 1 and creates "done3".
// - Ended by SIGTERM or SIGHUP, or by a stream of them, the program exits with status 0
//   and leaves the image holding the change and the settings written; left running, the
//   image holds the change a few seconds later all the same. Under a file-size limit too
//   small for the new image the save fails cleanly: the image as it was, nothing beside.
// - An image deleted, or replaced by a backup, while the guest goes on writing loses
//   nothing: it is written back, or put beside the backup, which stays as it was.
// - Names as long as the file system allows save; what a killed save left is removed.
// - A quit signal at any moment once the program catches it, start-up included, ends it
//   with status 0.
// - A settings file that is a link to a file not made yet is written where the link
//   points; one that is no plain file (a FIFO, a folder) is never opened and stays.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <iterator>
#include <pwd.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "floppy/file_fdd.h"
#include "platform/file_save.h"
#include "tests/platform/ordinary_user.h"
#include "tests/platform/temp_dir.h"

extern const uint8_t g_guest_format[512];

namespace {

namespace fs = std::filesystem;

// Track 0, side 0 of a D88 image: 16 sectors of 256 bytes, the two-block boot record first.
Bytes BootImage() {
    Bytes b(688, 0);
    std::copy_n("ORLO FDD", 9, b.begin());
    b[32] = 688 & 0xFF;
    b[33] = 688 >> 8;
    for (int r = 1; r <= 16; ++r) {
        const uint8_t head[16] = {0, 0, uint8_t(r), 1, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        b.insert(b.end(), head, head + 16);
        const uint8_t* data = g_guest_format + (r == 2 ? 256 : 0);
        b.insert(b.end(), data, data + 256);
    }
    for (int i = 0; i < 4; ++i)
        b[28 + i] = uint8_t(b.size() >> 8 * i);
    return b;
}

// Whether the image holds what the guest did: track 1 formatted, sector 3 written, and
// with `second` sector 4 too. A copy is read, since the program keeps the image locked.
bool HoldsTheChange(const std::string& path, bool second = false) {
    const std::string copy = fs::path(path).parent_path().parent_path() / "copy.d88";
    std::error_code ec;
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing, ec);
    CFileFdd fdd;
    if (ec || !fdd.Open(copy, CFile::modeRead)) return false;
    fs::remove(copy, ec);
    Bytes counting(256), down(256), sector(256), e4(256, 0xE4);
    for (int i = 0; i < 256; ++i)
        counting[i] = uint8_t(i), down[i] = uint8_t(255 - i);
    auto holds = [&](int c, int r, const Bytes& data) {
        return fdd.SeekSector(c, 0, r - 1) == 256 && fdd.Read(sector.data(), 256) == 256 &&
               sector == data;
    };
    return holds(1, 3, counting) && holds(1, 4, second ? down : e4) && holds(1, 16, e4) &&
           holds(0, 1, Bytes(g_guest_format, g_guest_format + 256));
}

bool WaitFor(const std::function<bool()>& done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class Program : public ::testing::Test {
protected:
    ~Program() override {
        if (m_pid > 0) ::kill(m_pid, SIGKILL), ::waitpid(m_pid, &m_status, 0);
    }

    // The boot image `name` in the folder "disks", configured as mini drive 0.
    void MakeImage(const std::string& name = "boot.d88") {
        fs::create_directories(m_dir / "config/Helka");
        fs::create_directories(m_dir / "disks");
        m_image = m_dir / ("disks/" + name);
        WriteFile(m_image, BootImage());
        std::ofstream(m_settings) << "[ORLO]\n2D0=" << m_image << "\n";
    }

    // Starts orlo in the scratch folder; its output goes to the file "log". With `asUser`
    // it runs as OrdinaryUser(), to whom the scratch folder is given.
    void Start(rlim_t fileSizeLimit = 0, bool asUser = false) {
        const passwd* user = asUser && ::geteuid() == 0 ? ::getpwuid(OrdinaryUser()) : nullptr;
        if (user) {
            ASSERT_EQ(::chown(m_dir.Path().c_str(), user->pw_uid, user->pw_gid), 0);
            for (const auto& e : fs::recursive_directory_iterator(m_dir.Path()))
                ASSERT_EQ(::lchown(e.path().c_str(), user->pw_uid, user->pw_gid), 0);
        }
        std::string home = "HOME=" + m_dir.Path().string(),
                    config = "XDG_CONFIG_HOME=" + m_dir / "config",
                    runtime = "XDG_RUNTIME_DIR=" + m_dir.Path().string();
        char* envp[] = {home.data(), config.data(), runtime.data(),
                        const_cast<char*>("QT_QPA_PLATFORM=offscreen"), nullptr};
        char* argv[] = {const_cast<char*>(ORLO_PROGRAM), nullptr};
        const int log = ::open((m_dir / "log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(log, 0);
        m_pid = ::fork();
        ASSERT_GE(m_pid, 0);
        if (m_pid == 0) {
            const rlimit lim{fileSizeLimit, RLIM_INFINITY};
            if (user && (::setgroups(0, nullptr) != 0 || ::setgid(user->pw_gid) != 0 ||
                         ::setuid(user->pw_uid) != 0))
                ::_exit(126);
            if (::chdir(m_dir.Path().c_str()) == 0 &&
                (!fileSizeLimit || ::setrlimit(RLIMIT_FSIZE, &lim) == 0)) {
                ::dup2(log, 1);
                ::dup2(log, 2);
                ::execve(ORLO_PROGRAM, argv, envp);
            }
            ::_exit(127);
        }
        ::close(log);
    }

    // Waits until the guest has created the host file `name` while the program runs.
    void WaitForGuest(const char* name) {
        ASSERT_TRUE(WaitFor([&] { return fs::exists(m_dir / name) || !Running(); }, 60));
        ASSERT_TRUE(Running()) << ReadFile<std::string>(m_dir / "log");
    }

    bool Running() {
        if (m_pid > 0 && ::waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_pid = 0;
        return m_pid > 0;
    }

    // Sends `sig` once, or every 200 us while `stream`, until the program is gone; it
    // must have ended with status 0.
    void Quit(int sig, bool stream = false) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        ::kill(m_pid, sig);
        while (Running() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::microseconds(stream ? 200 : 20000));
            if (stream && m_pid > 0) ::kill(m_pid, sig);
        }
        ASSERT_FALSE(Running()) << "still running after the signal";
        EXPECT_TRUE(WIFEXITED(m_status) && WEXITSTATUS(m_status) == 0)
            << "status " << m_status << "\n"
            << ReadFile<std::string>(m_dir / "log");
    }

    // Waits until the program catches SIGTERM (its quit signals are installed).
    bool WaitForHandlers() {
        const std::string status = "/proc/" + std::to_string(m_pid) + "/status";
        const std::string exe = "/proc/" + std::to_string(m_pid) + "/exe";
        return WaitFor(
            [&] {
                std::error_code ec;
                if (!fs::equivalent(exe, ORLO_PROGRAM, ec)) return false; // not yet exec'ed
                const std::string text = ReadFile<std::string>(status);
                const size_t at = text.find("SigCgt:");
                return at != std::string::npos &&
                       (std::stoull(text.substr(at + 7), nullptr, 16) >> (SIGTERM - 1) & 1);
            },
            20);
    }

    size_t FilesIn(const std::string& folder) {
        std::error_code ec;
        return size_t(std::distance(fs::directory_iterator(m_dir / folder, ec), {}));
    }

    TempDir m_dir;
    std::string m_image, m_settings = m_dir / "config/Helka/Orlo.conf";
    pid_t m_pid = 0;
    int m_status = 0;
};

struct Case {
    const char* name;
    int signal;           // 0: none; the program is killed after the check
    rlim_t fileSizeLimit; // 0: none
    bool stream;          // the signal again and again until the program is gone
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Ending : public Program, public ::testing::WithParamInterface<Case> {};

TEST_P(Ending, NothingIsLost) {
    const Case& c = GetParam();
    MakeImage();
    const Bytes original = BootImage();
    Start(c.fileSizeLimit);
    WaitForGuest("done");
    if (c.signal == 0) {
        EXPECT_TRUE(WaitFor([&] { return HoldsTheChange(m_image); }, 8)) << "not saved";
        return; // then killed: what was saved is on disk
    }
    Quit(c.signal, c.stream);
    if (c.fileSizeLimit == 0) {
        EXPECT_TRUE(HoldsTheChange(m_image));
    } else {
        EXPECT_EQ(ReadFile<std::string>(m_image), std::string(original.begin(), original.end()));
        EXPECT_EQ(FilesIn("disks"), 1u);
    }
    const std::string written = ReadFile<std::string>(m_settings);
    EXPECT_NE(written.find("2D0=" + m_image + "\n"), std::string::npos) << written;
    EXPECT_NE(written.find("DipSW=159\n"), std::string::npos) << written; // only at exit
}

INSTANTIATE_TEST_SUITE_P(
    Signals, Ending,
    ::testing::Values(Case{"Terminated", SIGTERM, 0, false}, Case{"HungUp", SIGHUP, 0, false},
                      Case{"LeftRunning", 0, 0, false},
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
        Start();
        WaitForGuest("done");
        ASSERT_TRUE(WaitFor([&] { return HoldsTheChange(m_image); }, 8)) << "not saved";
        const Bytes backup = BootImage();
        if (replace) {
            WriteFile(m_dir / "backup.d88", backup);
            fs::rename(m_dir / "backup.d88", m_image);
        } else {
            fs::remove(m_image);
        }
        WriteFile(m_dir / "go", "");
        WaitForGuest("done2");
        const std::string saved = replace ? m_dir / "disks/boot-1.d88" : m_image;
        EXPECT_TRUE(WaitFor([&] { return HoldsTheChange(saved, true); }, 8)) << "not saved";
        Quit(SIGTERM);
        EXPECT_TRUE(HoldsTheChange(saved, true));
        struct stat st {};
        EXPECT_EQ(::stat(saved.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
        if (replace) {
            EXPECT_EQ(ReadFile<std::string>(m_image), std::string(backup.begin(), backup.end()));
            EXPECT_EQ(FilesIn("disks"), 2u);
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
    Start();
    WaitForGuest("done");
    EXPECT_TRUE(WaitFor([&] { return HoldsTheChange(image); }, 8)) << ReadFile<std::string>(m_dir / "log");
    for (const std::string& f : leftovers)
        EXPECT_FALSE(fs::exists(m_dir / ("disks/" + f))) << f;
    for (const std::string& f : kept)
        EXPECT_TRUE(fs::exists(m_dir / ("disks/" + f))) << f;
    Quit(SIGTERM);
    EXPECT_TRUE(HoldsTheChange(image));
}

// A formatted image in a folder that the user may not write to: the save goes into the
// image's own file; the change is there after the program quits, nothing beside it.
TEST_F(Program, FormattedImageInAReadOnlyFolder) {
    if (OrdinaryUser() == 0) GTEST_SKIP() << "root, without a user `nobody` to run as";
    MakeImage();
    ASSERT_EQ(::chmod((m_dir / "disks").c_str(), 0555), 0);
    Start(0, true);
    WaitForGuest("done");
    Quit(SIGTERM);
    ::chmod((m_dir / "disks").c_str(), 0755);
    EXPECT_TRUE(HoldsTheChange(m_image)) << ReadFile<std::string>(m_dir / "log");
    EXPECT_EQ(FilesIn("disks"), 1u);
}

// A FIFO configured as a floppy drive, with bytes waiting for its reader, is no image: the
// program reports it (the box holds the machine until answered: the guest's format of that
// drive, were the FIFO taken for a disk, would run at once) and quits as usual. The FIFO
// stays a FIFO with its bytes, and the settings keep naming it.
TEST_F(Program, FifoAsFloppyIsLeftAlone) {
    MakeImage();
    const std::string fifo = m_dir / "disks/fifo.d88";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "waiting", 7), 7);
    std::ofstream(m_settings) << "[ORLO]\n2D0=" << m_image << "\n2D1=" << fifo << "\n";
    Start();
    if (WaitFor([&] { return fs::exists(m_dir / "done"); }, 5)) {
        WriteFile(m_dir / "go", "");
        WaitForGuest("done3");
    }
    ASSERT_TRUE(Running()) << ReadFile<std::string>(m_dir / "log");
    Quit(SIGTERM);
    char got[8] = {};
    EXPECT_EQ(::read(writer, got, sizeof got), 7);
    EXPECT_STREQ(got, "waiting");
    ::close(writer);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_NE(ReadFile<std::string>(m_settings).find("2D1=" + fifo + "\n"), std::string::npos);
}

// SIGTERM from the moment the program catches it until its window is up, at a few
// points of its start-up: the program ends with status 0 and writes its settings.
TEST_F(Program, QuitSignalDuringStartUp) {
    for (const int delayMs : {0, 1, 3, 10, 30, 100}) {
        SCOPED_TRACE(delayMs);
        MakeImage();
        Start();
        ASSERT_TRUE(WaitForHandlers()) << ReadFile<std::string>(m_dir / "log");
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        Quit(SIGTERM);
        EXPECT_NE(ReadFile<std::string>(m_settings).find("DipSW=159\n"), std::string::npos);
    }
}

// Orlo.conf a link (through a second one, both relative) to a file in a folder that does
// not exist yet, as a dotfiles folder has it: the links stay, the file is made. Orlo.conf a
// FIFO or a folder: the program starts (the user is told in a box, which the signal
// cancels), never opens it, ends with status 0 on SIGTERM without trying to write it, and
// leaves it as it was.
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
        Start();
        ASSERT_TRUE(WaitForHandlers());
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        if (kind == "FIFO") { // a writer opens only while a reader has it open
            const int fd = ::open(m_settings.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            EXPECT_TRUE(fd < 0 && errno == ENXIO) << "the program opened the FIFO";
            if (fd >= 0) ::close(fd);
        }
        Quit(SIGTERM);
        EXPECT_EQ(FilesIn("config/Helka"), 1u);
        const std::string log = ReadFile<std::string>(m_dir / "log");
        EXPECT_EQ(log.find("設定を保存できませんでした"), std::string::npos) << log;
        struct stat st {};
        ASSERT_EQ(::lstat(m_settings.c_str(), &st), 0);
        if (kind == "link") {
            EXPECT_TRUE(S_ISLNK(st.st_mode) && fs::is_symlink(m_dir / "dotfiles/current.conf"));
            EXPECT_NE(ReadFile<std::string>(m_dir / "dotfiles/orlo/Orlo.conf").find("DipSW=159\n"),
                      std::string::npos);
            EXPECT_EQ(FilesIn("dotfiles/orlo"), 1u);
        } else {
            EXPECT_TRUE(kind == "FIFO" ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode));
            EXPECT_EQ(FilesIn("config/Helka/Orlo.conf"), 0u);
        }
    }
}

} // namespace
