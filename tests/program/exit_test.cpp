// The real program on the offscreen platform, with HOME and the settings folder in a
// scratch folder. It boots tests/guest/format.asm from a D88 image in mini drive 0; the
// guest formats track 1 of that image, writes sector 3 and creates the host file "done".
// Ended by SIGTERM or SIGHUP, the program exits with status 0 and leaves the image holding
// the format and the sector and the settings written; left running, the image holds them
// a few seconds later all the same. Under a file-size limit too small for the new image
// the save fails cleanly: status 0, the image as it was, nothing left beside it.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "floppy/file_fdd.h"
#include "tests/platform/temp_dir.h"

extern const uint8_t g_guest_format[256];

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// Track 0, side 0 of a D88 image: 16 sectors of 256 bytes, the boot record first.
Bytes BootImage() {
    Bytes b(688, 0);
    std::copy_n("ORLO FDD", 9, b.begin());
    b[32] = 688 & 0xFF;
    b[33] = 688 >> 8;
    for (int r = 1; r <= 16; ++r) {
        const uint8_t head[16] = {0, 0, uint8_t(r), 1, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        b.insert(b.end(), head, head + 16);
        b.insert(b.end(), g_guest_format, g_guest_format + 256); // only sector 1 counts
    }
    for (int i = 0; i < 4; ++i)
        b[28 + i] = uint8_t(b.size() >> 8 * i);
    return b;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether the image holds what the guest did: track 1 formatted, sector 3 written. A
// copy is read, since the program keeps the image itself locked.
bool HoldsTheChange(const std::string& path) {
    std::error_code ec;
    fs::copy_file(path, path + ".copy", fs::copy_options::overwrite_existing, ec);
    CFileFdd fdd;
    if (ec || !fdd.Open(path + ".copy", CFile::modeRead)) return false;
    fs::remove(path + ".copy", ec);
    Bytes counting(256), sector(256), e4(256, 0xE4);
    for (int i = 0; i < 256; ++i)
        counting[i] = uint8_t(i);
    auto holds = [&](int c, int r, const Bytes& data) {
        return fdd.SeekSector(c, 0, r - 1) == 256 && fdd.Read(sector.data(), 256) == 256 &&
               sector == data;
    };
    return holds(1, 3, counting) && holds(1, 16, e4) &&
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

struct Case {
    const char* name;
    int signal;           // 0: none; the program is killed after the check
    rlim_t fileSizeLimit; // 0: none
};

class Program : public ::testing::TestWithParam<Case> {
protected:
    ~Program() override {
        if (m_pid > 0) ::kill(m_pid, SIGKILL), ::waitpid(m_pid, &m_status, 0);
    }

    // Starts orlo in the scratch folder; its output goes to the file "log".
    void Start(rlim_t fileSizeLimit) {
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

    bool Running() {
        if (m_pid > 0 && ::waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_pid = 0;
        return m_pid > 0;
    }

    TempDir m_dir;
    pid_t m_pid = 0;
    int m_status = 0;
};

TEST_P(Program, NothingIsLost) {
    const Case& c = GetParam();
    fs::create_directories(m_dir / "config/Helka");
    fs::create_directories(m_dir / "disks");
    const std::string image = m_dir / "disks/boot.d88", settings = m_dir / "config/Helka/Orlo.conf";
    const Bytes original = BootImage();
    std::ofstream(image, std::ios::binary)
        .write(reinterpret_cast<const char*>(original.data()), std::streamsize(original.size()));
    std::ofstream(settings) << "[ORLO]\n2D0=" << image << "\n";

    Start(c.fileSizeLimit);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(m_dir / "done") || !Running(); }, 60));
    ASSERT_TRUE(Running()) << ReadFile(m_dir / "log");
    if (c.signal == 0) {
        EXPECT_TRUE(WaitFor([&] { return HoldsTheChange(image); }, 8)) << "not saved";
        return; // then killed: what was saved is on disk
    }
    ::kill(m_pid, c.signal);
    ASSERT_TRUE(WaitFor([&] { return !Running(); }, 20)) << "still running after the signal";
    EXPECT_TRUE(WIFEXITED(m_status) && WEXITSTATUS(m_status) == 0) << "status " << m_status << "\n"
                                                                   << ReadFile(m_dir / "log");
    if (c.fileSizeLimit == 0) {
        EXPECT_TRUE(HoldsTheChange(image));
    } else {
        EXPECT_EQ(ReadFile(image), std::string(original.begin(), original.end()));
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "disks"), {}), 1);
    }
    const std::string written = ReadFile(settings);
    EXPECT_NE(written.find("2D0=" + image + "\n"), std::string::npos) << written;
    EXPECT_NE(written.find("DipSW=159\n"), std::string::npos) << written; // only at exit
}

INSTANTIATE_TEST_SUITE_P(Signals, Program,
                         ::testing::Values(Case{"Terminated", SIGTERM, 0},
                                           Case{"HungUp", SIGHUP, 0}, Case{"LeftRunning", 0, 0},
                                           Case{"TerminatedAtTheFileSizeLimit", SIGTERM, 8192}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
