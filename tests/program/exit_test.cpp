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
        if (r == 1)
            b.insert(b.end(), g_guest_format, g_guest_format + 256);
        else
            b.resize(b.size() + 256, 0xE5);
    }
    for (int i = 0; i < 4; ++i)
        b[28 + i] = uint8_t(b.size() >> 8 * i);
    return b;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const std::string& path) {
    const Bytes b = ReadFile(path);
    return std::string(b.begin(), b.end());
}

// Whether the image holds what the guest did: track 1 formatted, sector 3 written. A
// copy is read, since the program holds the image itself locked.
bool HoldsTheChange(const std::string& path) {
    const std::string copy = path + ".copy";
    std::error_code ec;
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing, ec);
    CFileFdd fdd;
    if (ec || !fdd.Open(copy, CFile::modeRead)) return false;
    fs::remove(copy, ec); // the open file stays readable
    auto sector = [&](int c, int r) {
        Bytes data(256);
        return fdd.SeekSector(c, 0, r - 1) == 256 && fdd.Read(data.data(), 256) == 256 ? data
                                                                                       : Bytes();
    };
    Bytes counting(256);
    for (int i = 0; i < 256; ++i)
        counting[i] = uint8_t(i);
    const Bytes boot = sector(0, 1);
    return sector(1, 3) == counting && sector(1, 16) == Bytes(256, 0xE4) &&
           boot == Bytes(g_guest_format, g_guest_format + 256);
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

struct Case {
    const char* name;
    int signal;           // 0: none, the program is killed after the check
    rlim_t fileSizeLimit; // 0: none
};

class Program : public ::testing::TestWithParam<Case> {
protected:
    // Starts orlo in the scratch folder; its output goes to the file "log".
    void Start(rlim_t fileSizeLimit) {
        const std::vector<std::string> env = {
            "HOME=" + m_dir.Path().string(), "XDG_CONFIG_HOME=" + m_dir / "config",
            "XDG_RUNTIME_DIR=" + m_dir.Path().string(), "QT_QPA_PLATFORM=offscreen"};
        std::vector<char*> envp;
        for (const std::string& e : env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        const int log = ::open((m_dir / "log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(log, 0);
        m_pid = ::fork();
        ASSERT_GE(m_pid, 0);
        if (m_pid == 0) {
            rlimit lim{fileSizeLimit, RLIM_INFINITY};
            if (::chdir(m_dir.Path().c_str()) != 0 ||
                (fileSizeLimit && ::setrlimit(RLIMIT_FSIZE, &lim) != 0))
                ::_exit(126);
            ::dup2(log, 1);
            ::dup2(log, 2);
            char* argv[] = {const_cast<char*>(ORLO_PROGRAM), nullptr};
            ::execve(ORLO_PROGRAM, argv, envp.data());
            ::_exit(127);
        }
        ::close(log);
    }

    // The exit status, or -1 while it runs; once known it stays.
    int Status(bool wait = false) {
        if (m_pid > 0 && ::waitpid(m_pid, &m_status, wait ? 0 : WNOHANG) == m_pid) m_pid = 0;
        return m_pid > 0 ? -1 : m_status;
    }

    ~Program() override {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            Status(true);
        }
    }

    TempDir m_dir;
    pid_t m_pid = 0;
    int m_status = 0;
};

TEST_P(Program, NothingIsLost) {
    const Case& c = GetParam();
    fs::create_directories(m_dir / "config/Helka");
    fs::create_directories(m_dir / "disks");
    const std::string image = m_dir / "disks/boot.d88";
    const Bytes original = BootImage();
    std::ofstream(image, std::ios::binary)
        .write(reinterpret_cast<const char*>(original.data()), std::streamsize(original.size()));
    const std::string settings = m_dir / "config/Helka/Orlo.conf";
    std::ofstream(settings) << "[ORLO]\n2D0=" << image << "\n";

    Start(c.fileSizeLimit);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(m_dir / "done") || Status() >= 0; },
                        std::chrono::seconds(60)))
        << "the guest never finished\n"
        << ReadText(m_dir / "log");
    ASSERT_EQ(Status(), -1) << ReadText(m_dir / "log");
    EXPECT_EQ(ReadText(m_dir / "done"), "!");

    if (c.signal == 0) {
        EXPECT_TRUE(WaitFor([&] { return HoldsTheChange(image); }, std::chrono::seconds(8)))
            << "not saved while running";
        return; // the destructor kills it: what was saved is on disk
    }
    ::kill(m_pid, c.signal);
    ASSERT_TRUE(WaitFor([&] { return Status() >= 0; }, std::chrono::seconds(20)))
        << "still running after the signal\n"
        << ReadText(m_dir / "log");
    EXPECT_TRUE(WIFEXITED(m_status) && WEXITSTATUS(m_status) == 0) << "status " << m_status << "\n"
                                                                   << ReadText(m_dir / "log");
    if (c.fileSizeLimit == 0) {
        EXPECT_TRUE(HoldsTheChange(image));
    } else {
        EXPECT_EQ(ReadFile(image), original);
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "disks"), {}), 1);
    }
    const std::string written = ReadText(settings);
    EXPECT_NE(written.find("2D0=" + image + "\n"), std::string::npos) << written;
    EXPECT_NE(written.find("DipSW=159\n"), std::string::npos) << written;
}

INSTANTIATE_TEST_SUITE_P(Signals, Program,
                         ::testing::Values(Case{"Terminated", SIGTERM, 0},
                                           Case{"HungUp", SIGHUP, 0}, Case{"LeftRunning", 0, 0},
                                           Case{"TerminatedAtTheFileSizeLimit", SIGTERM, 8192}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
