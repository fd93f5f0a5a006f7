// The real program as a user starts it: offscreen, with HOME and the settings folder in a
// scratch folder, booting tests/guest/format.asm from a D88 image in mini drive 0 (the
// guest formats track 1 of that image, writes sector 3 and creates the host file "done";
// once an empty host file "go" appears it writes sector 4 and creates "done2").
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "floppy/file_fdd.h"
#include "platform/file_save.h"
#include "tests/floppy/fdd_test_util.h"
#include "tests/platform/child.h"
#include "tests/platform/ordinary_user.h"
#include "tests/platform/temp_dir.h"

extern const uint8_t g_guest_format[512];

namespace fs = std::filesystem;

// Track 0, side 0 of a D88 image: 16 sectors of 256 bytes, the two-block boot record first.
inline Bytes BootImage() {
    Bytes b = D88Header({688});
    for (int r = 1; r <= 16; ++r) {
        D88Record(b, 0, 0, uint8_t(r), 256, 0, 16);
        const uint8_t* data = g_guest_format + (r == 2 ? 256 : 0);
        b.insert(b.end(), data, data + 256);
    }
    PutLe32(b, 28, uint32_t(b.size()));
    return b;
}

// Whether the image holds what the guest did: track 1 formatted, sector 3 written, and
// with `second` sector 4 too. A copy is read, since the program keeps the image locked.
inline bool HoldsTheChange(const std::string& path, bool second = false) {
    const std::string copy = fs::path(path).parent_path().parent_path() / "copy.d88";
    std::error_code ec;
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing, ec);
    CFileFdd fdd;
    if (ec || !fdd.Open(copy, CFile::modeRead)) return false;
    fs::remove(copy, ec);
    const Bytes counting = Pattern(256, 0), down(counting.rbegin(), counting.rend()), e4(256, 0xE4);
    Bytes sector(256);
    auto holds = [&](int c, int r, const Bytes& data) {
        return fdd.SeekSector(c, 0, r - 1) == 256 && fdd.Read(sector.data(), 256) == 256 &&
               sector == data;
    };
    return holds(1, 3, counting) && holds(1, 4, second ? down : e4) && holds(1, 16, e4) &&
           holds(0, 1, Bytes(g_guest_format, g_guest_format + 256));
}

inline bool WaitFor(const std::function<bool()>& done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Watches a file (not a link) for opens, reads and writes from its making on, or a folder
// for the events of `mask`.
class Watch {
public:
    explicit Watch(const std::string& path, uint32_t mask = IN_OPEN | IN_ACCESS | IN_MODIFY)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        m_ok = m_fd >= 0 && ::inotify_add_watch(m_fd, path.c_str(), mask) >= 0;
    }
    ~Watch() { ::close(m_fd); }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    bool Ok() const { return m_ok; }
    bool Touched() const {
        char events[4096];
        return ::read(m_fd, events, sizeof events) > 0;
    }
    // Waits at most `seconds` for an event on an entry of the folder whose name begins with
    // `prefix`; whether one came.
    bool WaitFor(std::string_view prefix, int seconds) {
        using namespace std::chrono;
        const auto end = steady_clock::now() + std::chrono::seconds(seconds);
        alignas(inotify_event) char events[4096];
        for (pollfd p{m_fd, POLLIN, 0}; m_ok;) {
            const auto left = ceil<milliseconds>(end - steady_clock::now()).count();
            if (left <= 0 || ::poll(&p, 1, int(left)) <= 0) return false;
            const ssize_t n = ::read(m_fd, events, sizeof events);
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(events + at);
                if (e->len && std::string_view(e->name).starts_with(prefix)) return true;
                at += ssize_t(sizeof *e + e->len);
            }
        }
        return false;
    }

private:
    int m_fd;
    bool m_ok = false;
};

class Program : public ::testing::Test {
protected:
    // The boot image `name` in the folder "disks", configured as mini drive 0.
    void MakeImage(const std::string& name = "boot.d88") {
        fs::create_directories(m_dir / "config/Helka");
        fs::create_directories(m_dir / "disks");
        m_image = m_dir / ("disks/" + name);
        WriteFile(m_image, BootImage());
        std::ofstream(m_settings) << "[ORLO]\n2D0=" << m_image << "\n";
    }

    // Starts orlo in the scratch folder (ending the one before, if it still runs); its
    // output goes to the file "log". With `asUser` it runs as OrdinaryUser(), to whom the
    // scratch folder is given, from a copy of the program that user may run (a case first
    // skips where WhyNotAsOrdinaryUser answers). Call it in ASSERT_NO_FATAL_FAILURE.
    void Start(rlim_t fileSizeLimit = 0, bool asUser = false) {
        m_child.End();
        const std::string runtimeDir = m_dir / "runtime"; // the user's alone, as a session's is
        ASSERT_TRUE(fs::is_directory(runtimeDir) || ::mkdir(runtimeDir.c_str(), 0700) == 0);
        if (asUser && ::geteuid() == 0) {
            ASSERT_EQ(WhyNotAsOrdinaryUser(m_dir.Path()), "");
            ASSERT_TRUE(GiveToOrdinaryUser(m_dir.Path()));
            ASSERT_NO_FATAL_FAILURE(CopyProgram()); // the build folder may be closed to the user
        }
        std::string home = "HOME=" + m_home.value_or(""),
                    config = "XDG_CONFIG_HOME=" + m_dir / "config",
                    runtime = "XDG_RUNTIME_DIR=" + runtimeDir;
        std::vector<char*> envp = {config.data(), runtime.data(),
                                   const_cast<char*>("QT_QPA_PLATFORM=offscreen")};
        if (m_home) envp.push_back(home.data());
        envp.push_back(nullptr);
        char* argv[] = {m_program.data(), nullptr};
        const int log = ::open((m_dir / "log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(log, 0);
        const bool started = m_child.Start([&] {
            const rlimit lim{fileSizeLimit, RLIM_INFINITY};
            if ((asUser && !BecomeOrdinaryUser()) || ::chdir(m_dir.Path().c_str()) != 0 ||
                (fileSizeLimit && ::setrlimit(RLIMIT_FSIZE, &lim) != 0) || ::dup2(log, 1) != 1 ||
                ::dup2(log, 2) != 2)
                return 126;
            ::execve(m_program.c_str(), argv, envp.data());
            return 127;
        });
        ::close(log);
        ASSERT_TRUE(started) << "could not start a process";
    }

    // From now on the program runs from a copy in the scratch folder, open to all.
    void CopyProgram() {
        m_program = m_dir / "program/orlo";
        fs::create_directory(m_dir / "program");
        fs::copy_file(ORLO_PROGRAM, m_program, fs::copy_options::overwrite_existing);
        ASSERT_EQ(::chmod((m_dir / "program").c_str(), 0755), 0);
        ASSERT_EQ(::chmod(m_program.c_str(), 0755), 0);
    }

    // Once the program has ended: the one rescue file in the data folder under the home holds
    // both of the guest's changes, and the log names it. Call it in ASSERT_NO_FATAL_FAILURE.
    void ExpectRescuedWhole() {
        const std::string log = ReadFile<std::string>(m_dir / "log");
        const std::string folder = ".local/share/Helka/Orlo/rescued";
        ASSERT_EQ(m_dir.Count(folder), 1) << log;
        const std::string rescued = fs::directory_iterator(m_dir / folder)->path();
        EXPECT_TRUE(HoldsTheChange(rescued, true));
        EXPECT_NE(log.find("次のファイルに保存しました。\n" + rescued), std::string::npos) << log;
    }

    // Waits until the guest has created the host file `name` while the program runs.
    void WaitForGuest(const char* name) {
        ASSERT_TRUE(WaitFor([&] { return fs::exists(m_dir / name) || !m_child.Running(); }, 60))
            << "the guest made no \"" << name << "\" in a minute";
        ASSERT_TRUE(m_child.Running()) << Ended();
    }

    // Sends `sig` once, or every 200 us while `stream`, until the program is gone; it
    // must have ended with status 0.
    void Quit(int sig, bool stream = false) {
        ASSERT_TRUE(m_child.Signal(sig)) << Ended();
        for (int i = 0; stream && i < 100000 && m_child.Signal(sig); ++i) // 20 s at most
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        ASSERT_TRUE(m_child.Wait(20)) << "still running after the signal";
        EXPECT_EQ(m_child.ExitCode(), 0) << Ended();
    }

    // Waits until the program catches SIGTERM (its quit signals are installed); false
    // when it ended before.
    bool WaitForHandlers() {
        bool caught = false;
        WaitFor([&] { return !m_child.Running() || (caught = Catches(SIGTERM)); }, 20);
        return caught;
    }

    // How the program ended and what it wrote.
    std::string Ended() {
        const int st = m_child.Status();
        return (st < 0              ? std::string("the program has not ended")
                : WIFSIGNALED(st) ? "the program was ended by signal " + std::to_string(WTERMSIG(st))
                                  : "the program exited with " + std::to_string(WEXITSTATUS(st))) +
               ", its output:\n" + ReadFile<std::string>(m_dir / "log");
    }

    TempDir m_dir;
    std::string m_image, m_settings = m_dir / "config/Helka/Orlo.conf";
    std::string m_program = ORLO_PROGRAM;
    std::optional<std::string> m_home = m_dir.Path().string(); // HOME for Start; unset when none
    Child m_child; // after m_dir: ended before the folder goes

private:
    // Whether the program (exec'ed already) catches `sig`.
    bool Catches(int sig) {
        const std::string proc = "/proc/" + std::to_string(m_child.Pid());
        std::error_code ec;
        if (!fs::equivalent(proc + "/exe", m_program, ec)) return false;
        const std::string text = ReadFile<std::string>(proc + "/status");
        const size_t at = text.find("SigCgt:");
        return at != std::string::npos &&
               (std::strtoull(text.c_str() + at + 7, nullptr, 16) >> (sig - 1) & 1);
    }
};
