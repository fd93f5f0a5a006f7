// The monitor's L and S commands through the host-file port.
#include "machine.h"
#include "tests/platform/guards.h"

namespace {

class FilePortTest : public MachineTest {
protected:
    void SetUp() override { StartMonitor(); }
    TempDir m_dir;
};

TEST_F(FilePortTest, SaveAndLoadRoundTrip) {
    for (int i = 0; i < 0x180; ++i)
        main.m_ram[0x3000 + i] = uint8_t(i * 7 + 1);
    const std::string file = m_dir / "prog.bin";
    ASSERT_TRUE(Command("S 3000 317F " + file)) << Screen();
    EXPECT_EQ(Answer(), "Saved 3000-317F");
    const Bytes saved = ReadFile(file);
    EXPECT_EQ(saved, Bytes(main.m_ram + 0x3000, main.m_ram + 0x3180));

    ASSERT_TRUE(Command("L 4000 " + file)) << Screen();
    EXPECT_EQ(Answer(), "Loaded 4000-417F");
    EXPECT_EQ(Bytes(main.m_ram + 0x4000, main.m_ram + 0x4180), saved);
    EXPECT_EQ(main.m_ram[0x4180], 0); // nothing past the end
}

TEST_F(FilePortTest, RefusalsLeaveThePortIdle) {
    const std::string empty = m_dir / "empty";
    const std::string page = m_dir / "page"; // one byte more than $FC00-$FCFF
    ASSERT_TRUE(WriteFile(empty, "") && WriteFile(page, std::string(0x101, 'x')));
    const std::string guard = "? $FD00-$FFFF holds the I/O page and the monitor";
    const std::string full = m_dir / "full", cannot = "? Cannot write the file";
    struct Case {
        std::string line, answer;
        rlim_t limit = RLIM_INFINITY; // the host's file-size limit while it runs
    };
    const Case cases[] = {
        {"L 4000 " + m_dir / "missing", "? Cannot open the file"},
        {"S 3000 3001 " + m_dir / "no/such/dir", "? Cannot open the file"},
        {"S 0 1FFF " + full, cannot, 4096}, // the file takes half
        {"S 0 1FFF " + full, cannot, 0},    // nothing
        {"L 4000 " + empty, "Empty file"},
        {"L FC00 " + page, guard}, // the file is measured before anything is written
        {"L FD00 " + page, guard},
        {"L FF00 " + m_dir / "missing", guard},
        {"L 4000", "?"},
        {"S 3001 3000 x", "?"},
    };
    for (const auto& [line, answer, limit] : cases) {
        const FileSizeLimit fsize(limit);
        ASSERT_TRUE(fsize.IsSet());
        ASSERT_TRUE(Command(line)) << line << "\n" << Screen();
        EXPECT_EQ(Answer(), answer) << line;
        EXPECT_EQ(main.m_io[0xDD0], 0) << line;
    }
    EXPECT_EQ(main.m_io[0xC00], 0);
}

} // namespace
