// The monitor's L and S commands through the host-file port.
#include <fstream>
#include <iterator>
#include <vector>

#include "machine.h"
#include "tests/platform/temp_dir.h"

namespace {

class FilePortTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        if (IsSkipped()) return;
        CMainCpu probe;
        probe.Reset();
        probe.WriteByte(0xFDD0, 0x00);
        if (probe.ReadByte(0xFDD0) != 0x81)
            GTEST_SKIP() << "the host-file port does not answer yet";
        StartMonitor();
    }
    std::vector<uint8_t> Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string Last() const { return Row(CursorRow() - 1); }

    TempDir m_dir;
};

TEST_F(FilePortTest, SaveAndLoadRoundTrip) {
    for (int i = 0; i < 0x180; ++i)
        main.m_ram[0x3000 + i] = uint8_t(i * 7 + 1);
    const std::string file = m_dir / "prog.bin";
    ASSERT_TRUE(Command("S 3000 317F " + file)) << Screen();
    EXPECT_EQ(Last(), "Saved 3000-317F");
    const std::vector<uint8_t> saved = Read(file);
    ASSERT_EQ(saved.size(), 0x180u);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), main.m_ram + 0x3000));

    ASSERT_TRUE(Command("L 4000 " + file)) << Screen();
    EXPECT_EQ(Last(), "Loaded 4000-417F");
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), main.m_ram + 0x4000));
    EXPECT_EQ(main.m_ram[0x4180], 0);
}

TEST_F(FilePortTest, RefusalsLeaveThePortUsable) {
    const std::string empty = m_dir / "empty";
    std::ofstream(empty).close();
    std::ofstream(m_dir / "long", std::ios::binary) << std::string(0x20, 'x');
    struct Case {
        std::string line, answer;
    } cases[] = {
        {"L 4000 " + m_dir / "missing", "? Cannot open the file"},
        {"S 3000 3001 " + m_dir / "no/such/dir", "? Cannot open the file"},
        {"L 4000 " + empty, "Empty file"},
        {"L FDF0 " + m_dir / "long", "? $FE00-$FFFF belongs to the monitor"},
        {"L 4000", "?"},
        {"S 3001 3000 x", "?"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Command(c.line)) << c.line << "\n" << Screen();
        EXPECT_EQ(Last(), c.answer) << c.line;
        EXPECT_EQ(main.m_io[0xDD0], 0) << c.line; // the port is idle again
    }
    EXPECT_EQ(main.m_io[0xDF0], 'x'); // the load stopped where the monitor's area begins
    EXPECT_EQ(main.m_io[0xE00], 0);
}

} // namespace
