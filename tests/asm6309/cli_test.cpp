// The asm6309 command: exact image size, and on errors a message, status 1 and no output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class Cli : public testing::Test {
protected:
    fs::path m_dir;
    void SetUp() override {
        m_dir =
            fs::temp_directory_path() /
            ("asm6309_cli_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(m_dir / name, std::ios::binary) << text;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(m_dir / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int Run(const std::string& args) {
        std::string cmd =
            "cd '" + m_dir.string() + "' && '" ASM6309_TOOL "' " + args + " 2>err.txt >/dev/null";
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(Cli, WritesAnImageOfTheExactSize) {
    Write("a.asm", " ORG $B000\n FCB 1\n ORG $FFFE\n FDB $B000\n");
    EXPECT_EQ(Run("-o a.bin --base 0xB000 --size 0x5000 --fill 0xFF -l a.lst -s a.sym "
                  "--depfile a.d a.asm"),
              0);
    std::string bin = Read("a.bin");
    ASSERT_EQ(bin.size(), 0x5000u);
    EXPECT_EQ(uint8_t(bin[0]), 0x01);
    EXPECT_EQ(uint8_t(bin[1]), 0xFF);
    EXPECT_EQ(uint8_t(bin[0x4FFE]), 0xB0);
    EXPECT_EQ(Read("a.d"), "a.bin: a.asm\n");
    EXPECT_FALSE(Read("a.lst").empty());
    EXPECT_TRUE(Read("err.txt").empty());
}

TEST_F(Cli, ErrorsLeaveNoOutput) {
    Write("bad.asm", " ORG $1000\n NOP\n LDA NOWHERE\n");
    EXPECT_EQ(Run("-o bad.bin --base 0x1000 --size 16 -l bad.lst bad.asm"), 1);
    EXPECT_EQ(Read("err.txt"), "bad.asm:3: undefined symbol 'NOWHERE'\n");
    EXPECT_FALSE(fs::exists(m_dir / "bad.bin"));
    EXPECT_FALSE(fs::exists(m_dir / "bad.lst"));
}

TEST_F(Cli, BadArgumentsFail) {
    Write("a.asm", " NOP\n");
    EXPECT_EQ(Run("-o a.bin --base 0xC000 --size 0x5000 a.asm"), 1);
    EXPECT_EQ(Run("-o a.bin --size 16 a.asm"), 1);
    EXPECT_EQ(Run("-o a.bin --base 0 --size 16 missing.asm"), 1);
    EXPECT_EQ(Read("err.txt"), "missing.asm:0: cannot read the source file\n");
    EXPECT_FALSE(fs::exists(m_dir / "a.bin"));
}

TEST_F(Cli, DefinesFromTheCommandLine) {
    Write("d.asm", " ORG 0\n FCB N,M\n");
    EXPECT_EQ(Run("-o d.bin --base 0 --size 2 -D N=0x21 -D M d.asm"), 0);
    EXPECT_EQ(Read("d.bin"), "\x21\x01");
}

} // namespace
