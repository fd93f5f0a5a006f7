#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "port_fixture.h"
#include "tests/platform/guards.h"
#include "tests/platform/temp_dir.h"

namespace {

class HostFile : public PortTest {
protected:
    HostFile() { WriteFile(m_dir / "abc", Bytes{0xFF, 0x00, 'c'}); }

    // Command, name bytes, terminating 0; returns the status.
    uint8_t Open(uint8_t command, const std::string& name) {
        Write(0xFDD0, command);
        EXPECT_EQ(Read(0xFDD0), 0x81);
        for (char ch : name)
            Write(0xFDD1, uint8_t(ch));
        Write(0xFDD1, 0);
        return Read(0xFDD0);
    }

    TempDir m_dir;
};

TEST_F(HostFile, ReadsAThreeByteFileWithReadAhead) {
    EXPECT_EQ(Read(0xFDD0), 0x00);
    EXPECT_EQ(Open(0, m_dir / "abc"), 0x21);
    Bytes got; // data, then status
    for (int i = 0; i < 4; ++i)
        got.insert(got.end(), {Read(0xFDD1), Read(0xFDD0)});
    EXPECT_EQ(got, (Bytes{0xFF, 0x21, 0x00, 0x21, 'c', 0x11, 0x00, 0x00}));
    EXPECT_EQ(m_board->m_pFile, nullptr);

    WriteFile(m_dir / "empty", "");
    EXPECT_EQ(Open(0, m_dir / "empty"), 0x11); // an empty file ends at once
    EXPECT_EQ(m_board->m_nFileState, 4);
    EXPECT_EQ(Read(0xFDD1), 0x00);
}

TEST_F(HostFile, WritesAFile) {
    WriteFile(m_dir / "out", "old and longer contents");
    EXPECT_EQ(Open(1, m_dir / "out"), 0x41);
    for (uint8_t b : {0x6F, 0x6B, 0x00, 0x80})
        Write(0xFDD1, b);
    Read(0xFDD1); // reads do nothing while writing
    Write(0xFDD0, 2);
    EXPECT_EQ(Read(0xFDD0), 0x11);
    EXPECT_EQ(Read(0xFDD1), 0x00);
    EXPECT_EQ(ReadFile<std::string>(m_dir / "out"), std::string("ok\0\x80", 4));
}

TEST_F(HostFile, ANewCommandClosesTheOpenFileAndOthersAreIgnored) {
    EXPECT_EQ(Open(1, m_dir / "held"), 0x41);
    Write(0xFDD0, 3);
    Write(0xFDD0, 0xFF);
    EXPECT_EQ(Read(0xFDD0), 0x41);
    Write(0xFDD0, 0);
    CFile other;
    EXPECT_TRUE(other.Open(m_dir / "held", CFile::modeCreateWrite)); // no longer locked
    EXPECT_EQ(m_board->m_strFileName, "");
    Write(0xFDD1, 'n');
    EXPECT_EQ(m_board->m_strFileName, "n");
}

// Names that are not regular files are refused at once: a FIFO held open at both ends by
// someone who never moves a byte would otherwise block the reader, and the writer too
// once the pipe is full. (Should it block after all, the alarm ends the test.)
TEST_F(HostFile, FailuresEndInStateFiveAndReadOneOnce) {
    const Alarm ends(5);
    CFile held(m_dir / "held", CFile::modeCreateWrite);
    const std::string tooLong = "/" + std::string(5000, 'x');
    const std::string fifo = m_dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int both = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK); // a writer and a reader
    ASSERT_GE(both, 0);
    struct Case {
        const char* what;
        uint8_t command;
        std::string name;
    } cases[] = {
        {"empty name", 1, ""},
        {"folder", 0, m_dir.Path().string()},
        {"folder for writing", 1, m_dir.Path().string()},
        {"missing file", 0, m_dir / "nothing"},
        {"file held by another writer", 0, m_dir / "held"},
        {"too long", 0, tooLong},
        {"component too long", 1, m_dir / std::string(300, 'y')},
        {"FIFO with a writer that never writes", 0, fifo},
        {"FIFO with a reader that never reads", 1, fifo},
        {"character device", 0, "/dev/null"},
        {"character device for writing", 1, "/dev/null"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Open(c.command, c.name), 0x11);
        EXPECT_EQ(m_board->m_nFileState, 5);
        EXPECT_LE(m_board->m_strFileName.size(), 4097u);
        EXPECT_EQ(m_board->m_pFile, nullptr);
        EXPECT_EQ(Read(0xFDD1), 0x01);
        EXPECT_EQ(Read(0xFDD0), 0x00);
        EXPECT_EQ(Read(0xFDD1), 0x00);
    }
    Write(0xFDD0, 2); // a close without a file fails too
    EXPECT_EQ(Read(0xFDD0), 0x11);
    EXPECT_EQ(Read(0xFDD1), 0x01);
    ::close(both);
}

TEST_F(HostFile, AWriteErrorFailsThePort) {
    EXPECT_EQ(Open(1, m_dir / "limited"), 0x41);
    {
        const FileSizeLimit limit(1);
        ASSERT_TRUE(limit.IsSet());
        Write(0xFDD1, 'x');
        EXPECT_EQ(Read(0xFDD0), 0x41);
        Write(0xFDD1, 'y'); // beyond the limit
    }
    EXPECT_EQ(Read(0xFDD0), 0x11);
    EXPECT_EQ(m_board->m_pFile, nullptr);
    Write(0xFDD1, 'z'); // ignored
    EXPECT_EQ(Read(0xFDD1), 0x01);
    EXPECT_EQ(ReadFile<std::string>(m_dir / "limited"), "x");
}

TEST_F(HostFile, TheFileSurvivesAResetAndTheBoardClosesIt) {
    EXPECT_EQ(Open(1, m_dir / "kept"), 0x41);
    Write(0xFDD1, 'a');
    m_board->Reset();
    Write(0xFDD1, 'b');
    m_board.reset();
    EXPECT_EQ(ReadFile<std::string>(m_dir / "kept"), "ab");
    CFile other;
    EXPECT_TRUE(other.Open(m_dir / "kept", CFile::modeReadWrite));
}

} // namespace
