// The asm6309 command: exact image size, and on errors a message, status 1 and no output.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "tests/platform/child.h"
#include "tests/platform/temp_dir.h"

namespace {

class Cli : public testing::Test {
protected:
    std::string Read(const std::string& name) { return ReadFile<std::string>(m_dir / name); }
    bool Exists(const std::string& name) { return std::filesystem::exists(m_dir / name); }
    // Runs the tool in the scratch folder with `args`, its errors going to err.txt; its exit
    // code (-1 when it did not end by itself within a minute).
    int Run(const std::string& args) {
        const std::string cmd =
            "cd '" + m_dir.Path().string() + "' && exec " ASM6309_TOOL " " + args + " 2>err.txt";
        Child tool;
        EXPECT_TRUE(tool.Start([&] {
            ::execl("/bin/sh", "sh", "-c", cmd.c_str(), nullptr);
            return 127;
        }));
        return tool.Wait(60) ? tool.ExitCode() : -1;
    }
    TempDir m_dir{"asm6309-cli"};
};

TEST_F(Cli, WritesAnImageOfTheExactSize) {
    WriteFile(m_dir / "a.asm", " ORG $B000\n FCB 1\n ORG $FFFE\n FDB $B000\n");
    EXPECT_EQ(Run("-o a.bin --base 0xB000 --size 0x5000 --fill 0xFF -l a.lst -s a.sym "
                  "--depfile a.d a.asm"),
              0);
    std::string bin = Read("a.bin");
    ASSERT_EQ(bin.size(), 0x5000u);
    EXPECT_EQ(uint8_t(bin[0]), 0x01);
    EXPECT_EQ(uint8_t(bin[0x4FFE]), 0xB0);
    EXPECT_EQ(Read("a.d"), "a.bin: a.asm\n");
    EXPECT_FALSE(Read("a.lst").empty());
    EXPECT_TRUE(Read("err.txt").empty());
}

TEST_F(Cli, ErrorsLeaveNoOutput) {
    WriteFile(m_dir / "bad.asm", " ORG $1000\n NOP\n LDA NOWHERE\n");
    EXPECT_EQ(Run("-o bad.bin --base 0x1000 --size 16 -l bad.lst bad.asm"), 1);
    EXPECT_EQ(Read("err.txt"), "bad.asm:3: undefined symbol 'NOWHERE'\n");
    EXPECT_FALSE(Exists("bad.bin"));
    EXPECT_FALSE(Exists("bad.lst"));
}

TEST_F(Cli, BadArgumentsFail) {
    WriteFile(m_dir / "a.asm", " NOP\n");
    EXPECT_EQ(Run("-o a.bin --base 0xC000 --size 0x5000 a.asm"), 1);
    EXPECT_EQ(Run("-o a.bin --size 16 a.asm"), 1);
    EXPECT_EQ(Run("-o a.bin --base 0 --size 16 missing.asm"), 1);
    EXPECT_EQ(Read("err.txt"), "missing.asm:0: cannot read the source file\n");
    EXPECT_FALSE(Exists("a.bin"));
}

TEST_F(Cli, DefinesFromTheCommandLine) {
    WriteFile(m_dir / "d.asm", " ORG 0\n FCB N,M\n");
    EXPECT_EQ(Run("-o d.bin --base 0 --size 2 -D N=0x21 -D M d.asm"), 0);
    EXPECT_EQ(Read("d.bin"), "\x21\x01");
}

} // namespace
