// Booting from images holding the two-block record of tests/guest/bootrec.asm (its message
// is in the second block): mini floppy, 8-inch and hard disk; the DIP switches choose the
// devices and the drive; damaged records are refused. The boot record
// that rom/README.md prints, made and written with the commands printed under it, boots.
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "floppy/file_fdd.h"
#include "machine.h"
#include "platform/file.h"

namespace {

enum Kind { kMiniRaw, kEightRaw, kHardDisk };

using Disk = std::pair<Kind, int>; // and the drive

struct BootCase {
    int dip;
    std::vector<Disk> disks;
    std::string said;
    int patchAt = 0; // a change to the record
    uint8_t patch = 'O';
};

class BootTest : public MachineTest, public ::testing::WithParamInterface<BootCase> {
protected:
    // Puts an image of `kind` holding the boot record into a drive or unit.
    void Insert(Kind kind, int drive, int patchAt = 0, uint8_t patch = 'O') {
        Bytes record(g_guest_bootrec, g_guest_bootrec + 512);
        record[patchAt] = patch;
        const std::string path = m_dir / ("disk" + std::to_string(m_images++));
        const size_t size[] = {327680, 512512, 65536}; // 2D; 8-inch 26 x 128
        Bytes image(size[kind], 0);
        std::copy(record.begin(), record.end(), image.begin());
        ASSERT_TRUE(WriteFile(path, image));
        if (kind == kHardDisk) {
            main.m_pHdd[drive] = new CFile;
            ASSERT_TRUE(main.m_pHdd[drive]->Open(path, CFile::modeReadWrite));
            return;
        }
        CFileFdd*& fdd = main.m_pFdd[(kind == kEightRaw ? 0 : 4) + drive];
        fdd = new CFileFdd;
        ASSERT_TRUE(fdd->Open(path, CFile::modeReadWrite));
    }

    TempDir m_dir;
    int m_images = 0;
};

TEST_P(BootTest, DevicesAndSwitches) {
    const BootCase& c = GetParam();
    for (auto [kind, drive] : c.disks)
        ASSERT_NO_FATAL_FAILURE(Insert(kind, drive, c.patchAt, c.patch));
    ASSERT_NO_FATAL_FAILURE(StartMonitor(c.dip));
    EXPECT_TRUE(ScreenHas(c.said)) << c.said << "\nis not on\n" << Screen();
}

const std::vector<Disk> kInDrive1 = {{kHardDisk, 1}, {kEightRaw, 1}, {kMiniRaw, 1}};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Machine, BootTest, ::testing::Values(
    // Every device enabled, drive 0, one image.
    BootCase{0x1F, {{kMiniRaw, 0}}, "\nMini floppy 0: booting\nBooted from device 2, drive 0\n\n"},
    BootCase{0x1F, {{kEightRaw, 0}}, "\nHard disk 0: no disk\n8-inch floppy 0: booting\n"
                                     "Booted from device 1, drive 0\n\n"},
    BootCase{0x1F, {{kHardDisk, 0}}, "\nHard disk 0: booting\nBooted from device 0, drive 0\n\n"},
    // Every kind in drive 1: the order and the switches choose.
    BootCase{0x1E, kInDrive1, "\nHard disk 1: booting\nBooted from device 0, drive 1\n"},
    BootCase{0x9E, kInDrive1, "\n8-inch floppy 1: booting\nBooted from device 1, drive 1\n"},
    BootCase{0xDE, kInDrive1, "\nMini floppy 1: booting\nBooted from device 2, drive 1\n"},
    BootCase{0x9D, kInDrive1, "\n8-inch floppy 2: no disk\nMini floppy 2: no disk\n"},
    BootCase{0xE3, kInDrive1, "\nNo boot device is enabled.\n"},
    // Records refused: no signature, too long, longer than track 0.
    BootCase{0x9F, {{kMiniRaw, 0}}, "\nMini floppy 0: not bootable\nNothing to boot.\n", 0, 'X'},
    BootCase{0x9F, {{kMiniRaw, 0}}, "\nMini floppy 0: boot record too long\n", 4, 65},
    BootCase{0x9F, {{kMiniRaw, 0}}, "\nMini floppy 0: read error\n", 4, 17}));
// clang-format on

// A second boot from the monitor, after a disk has been put in.
TEST_F(BootTest, BootCommand) {
    ASSERT_NO_FATAL_FAILURE(StartMonitor());
    ASSERT_NO_FATAL_FAILURE(Insert(kMiniRaw, 0));
    ASSERT_TRUE(Command("B")) << Screen();
    EXPECT_TRUE(ScreenHas("Nothing to boot.\nMonitor: D M F G R B L S\n> B\n8-inch floppy 0: no "
                          "disk\nMini floppy 0: booting\nBooted from device 2, drive 0\n"))
        << Screen();
}

// The example is taken from the README as it stands: the code block after "A complete boot
// record", saved as hello.asm; the assembler command quoted after it and the shell lines
// indented under that, run as printed in a folder where "build/tools/asm6309/asm6309" and
// "rom" lead to this build's assembler and the firmware's include files.
TEST_F(BootTest, ReadmeExampleBoots) {
    std::ifstream in(ORLO_SOURCE_DIR "/rom/README.md");
    std::stringstream text;
    text << in.rdbuf();
    const std::string readme = text.str();
    const size_t intro = readme.find("A complete boot record");
    ASSERT_NE(intro, std::string::npos);
    const size_t code = readme.find("```\n", intro) + 4, codeEnd = readme.find("```\n", code);
    const size_t cmd = readme.find("Assemble it with `", codeEnd) + 18;
    const size_t cmdEnd = readme.find('`', cmd);
    ASSERT_TRUE(code > 4 && codeEnd != std::string::npos && cmd > 18 &&
                cmdEnd != std::string::npos);
    std::string script = readme.substr(cmd, cmdEnd - cmd);
    std::replace(script.begin(), script.end(), '\n', ' ');
    std::istringstream after(readme.substr(readme.find("\n\n", cmdEnd) + 2));
    for (std::string line; std::getline(after, line) && line.rfind("    ", 0) == 0;)
        script += " && " + line.substr(4);

    namespace fs = std::filesystem;
    fs::create_directories(m_dir.Path() / "build/tools/asm6309");
    fs::create_symlink(ASM6309_TOOL, m_dir.Path() / "build/tools/asm6309/asm6309");
    fs::create_symlink(ORLO_SOURCE_DIR "/rom", m_dir.Path() / "rom");
    std::ofstream(m_dir / "hello.asm") << readme.substr(code, codeEnd - code);
    std::string folder = m_dir.Path().string(); // in single quotes, each quote as '\''
    for (size_t at = 0; (at = folder.find('\'', at)) != std::string::npos; at += 4)
        folder.replace(at, 1, "'\\''");
    const std::string run = "cd '" + folder + "' && " + script + " >log 2>&1";
    ASSERT_EQ(std::system(run.c_str()), 0) << script << "\n"
                                           << std::ifstream(m_dir / "log").rdbuf();

    auto* fdd = new CFileFdd;
    main.m_pFdd[4] = fdd;
    ASSERT_TRUE(fdd->Open(m_dir / "boot.img", CFile::modeReadWrite));
    ASSERT_NO_FATAL_FAILURE(StartMonitor());
    EXPECT_TRUE(ScreenHas("Mini floppy 0: booting\nHello from the boot record\n")) << Screen();
}

} // namespace
