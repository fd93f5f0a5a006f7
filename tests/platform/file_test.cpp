#include <gmock/gmock.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "tests/platform/guards.h"
#include "tests/platform/temp_dir.h"

namespace {

TEST(File, OpenModesAndByteMoves) {
    TempDir dir;
    const std::string path = dir / "f";
    {
        CFile f(path, CFile::modeCreateReadWrite);
        f.Write("hello world", 11);
        EXPECT_EQ(f.GetPosition(), 11u);
        EXPECT_EQ(f.Seek(6), 6u);
        f.Write("WORLD", 5);
        f.Seek(0);
        char buf[32] = {};
        EXPECT_EQ(f.Read(buf, sizeof buf), 11u);
        EXPECT_EQ(std::string(buf, 11), "hello WORLD");
        EXPECT_EQ(f.Read(buf, sizeof buf), 0u); // end of file
        f.SetLength(4);
        f.SetLength(8); // grows with zeros
        EXPECT_EQ(f.GetLength(), 8u);
    }
    EXPECT_EQ(ReadFile<std::string>(path), std::string("hell\0\0\0\0", 8));
    {
        CFile f(path, CFile::modeRead);
        EXPECT_THROW(f.Write("x", 1), CFileException);
    }
    {
        CFile f(path, CFile::modeReadWrite); // keeps the content
        EXPECT_EQ(f.GetLength(), 8u);
        f.Write("XY", 2);
    }
    EXPECT_EQ(ReadFile<std::string>(path), std::string("XYll\0\0\0\0", 8));
    {
        CFile f(path, CFile::modeCreateWrite); // truncates, write only
        EXPECT_EQ(f.GetLength(), 0u);
        f.Write("zz", 2);
        char c;
        EXPECT_THROW(f.Read(&c, 1), CFileException);
    }
    EXPECT_EQ(ReadFile<std::string>(path), "zz");

    // Modes that do not create need the file.
    EXPECT_EQ(ErrnoOf([&] { CFile f(dir / "missing", CFile::modeReadWrite); }), ENOENT);
}

TEST(File, PathIsAbsoluteAndKeepsSymlinks) {
    TempDir dir;
    WriteFile(dir / "f", "x");
    std::filesystem::create_symlink(dir / "f", dir / "link");
    std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    CFile f;
    bool ok = f.Open("link", CFile::modeRead);
    std::filesystem::current_path(cwd);
    ASSERT_TRUE(ok);
    EXPECT_EQ(f.GetFilePath(), dir / "link");
}

TEST(File, SecondOpenFailsWhileHeld) {
    TempDir dir;
    std::string path = dir / "image";
    WriteFile(path, "precious");
    struct Case {
        CFile::OpenMode held, second;
        bool shared;
    } cases[] = {
        {CFile::modeReadWrite, CFile::modeRead, false},
        {CFile::modeReadWrite, CFile::modeCreateWrite, false},
        {CFile::modeCreateReadWrite, CFile::modeCreateReadWrite, false},
        {CFile::modeRead, CFile::modeReadWrite, false},
        {CFile::modeRead, CFile::modeRead, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.held) + " then " + std::to_string(c.second));
        WriteFile(path, "precious");
        {
            CFile held(path, c.held);
            if (c.held == CFile::modeCreateReadWrite) held.Write("precious", 8);
            EXPECT_EQ(ErrnoOf([&] { CFile f(path, c.second); }), c.shared ? 0 : EWOULDBLOCK);
            EXPECT_EQ(ReadFile<std::string>(path), "precious"); // a refused create did not truncate
        }
        CFile again(path, c.second); // released by the destructor
    }
}

// A file renamed over the name between the open and the lock: the lock ends on the file
// the name names, so that a second open of the name finds it held. A name that keeps being
// given to new files makes the open give up.
TEST(File, LockHoldsTheFileTheNameNames) {
    TempDir dir;
    static std::string name, other;
    static bool again;
    const std::string path = dir / "image", third = dir / "third";
    name = path, other = dir / "other", again = false;
    WriteFile(path, "old");
    WriteFile(third, "old");
    WriteFile(other, "new");
    g_pFileTestSeam = [](const char* where) {
        if (again) WriteFile(other, "newer");
        if (std::string(where) == "open") std::rename(other.c_str(), name.c_str());
    };
    CFile f;
    EXPECT_TRUE(f.Open(path, CFile::modeReadWrite));
    name = third, again = true;
    CFile g;
    EXPECT_FALSE(g.Open(third, CFile::modeReadWrite));
    EXPECT_EQ(g.OpenError(), EAGAIN);
    g_pFileTestSeam = nullptr;
    ASSERT_TRUE(f.IsOpen());
    char buf[8] = {};
    EXPECT_EQ(f.Read(buf, sizeof buf), 3u);
    EXPECT_STREQ(buf, "new");
    EXPECT_EQ(ErrnoOf([&] { CFile f(path, CFile::modeRead); }), EWOULDBLOCK);
}

TEST(File, FailuresCarryTheSystemText) {
    TempDir dir;
    WriteFile(dir / "plain", "x");
    struct Case {
        std::string path;
        CFile::OpenMode mode;
        int err;
    } cases[] = {
        {dir / "nofolder/f", CFile::modeCreateWrite, ENOENT},
        {dir / "plain/f", CFile::modeCreateReadWrite, ENOTDIR},
        {dir.Path().string(), CFile::modeRead, EISDIR},
        {"", CFile::modeRead, ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto open = [&] { CFile f(c.path, c.mode); };
        EXPECT_EQ(ErrnoOf(open), c.err);
        const std::string text = c.path + ": " + std::strerror(c.err);
        EXPECT_THAT(open, testing::ThrowsMessage<CFileException>(testing::HasSubstr(text)));
        CFile f;
        EXPECT_FALSE(f.Open(c.path, c.mode));
        EXPECT_FALSE(f.IsOpen());
    }
}

// A FIFO given as a printer file: a reader that never reads, then one that has gone,
// make writes fail at once; neither blocks nor kills the writer.
TEST(File, FifoNeverBlocksNorKills) {
    const WriteSignalsIgnored ignored;
    TempDir dir;
    const std::string fifo = dir / "fifo";
    IdleFifoReader reader(fifo);
    ASSERT_TRUE(reader.IsOpen());
    CFile out(fifo, CFile::modeCreateWrite);
    const std::string chunk(4096, 'x');
    int err = 0;
    for (int i = 0; i < 1024 && !err; ++i) // 4 MB: far more than a pipe holds
        err = ErrnoOf([&] { out.Write(chunk.data(), uint32_t(chunk.size())); });
    EXPECT_EQ(err, EAGAIN);
    reader.Close();
    EXPECT_EQ(ErrnoOf([&] { out.Write("y", 1); }), EPIPE) << "a FIFO without a reader";
}

TEST(File, ReopenClosesThePreviousFile) {
    TempDir dir;
    WriteFile(dir / "a", "a");
    WriteFile(dir / "b", "b");
    CFile f(dir / "a", CFile::modeReadWrite);
    ASSERT_TRUE(f.Open(dir / "b", CFile::modeReadWrite));
    EXPECT_EQ(f.GetFilePath(), dir / "b");
    CFile a(dir / "a", CFile::modeReadWrite); // no longer held
    EXPECT_FALSE(f.Open(dir / "a", CFile::modeReadWrite));
    EXPECT_FALSE(f.IsOpen());
    char c;
    EXPECT_THROW(f.Read(&c, 1), CFileException);
    f.Close(); // harmless
}

} // namespace
