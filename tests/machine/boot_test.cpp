// Booting: a boot record assembled from tests/guest/bootrec.asm (two 256-byte blocks,
// the message in the second) on mini floppy images (raw and D88), an 8-inch image and a
// hard-disk image; the DIP switches choose the devices and the drive.
#include <fstream>
#include <vector>

#include "floppy/file_fdd.h"
#include "machine.h"
#include "platform/file.h"
#include "tests/platform/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

enum Kind { kMiniRaw, kMiniD88, kEightRaw, kHardDisk };

class BootTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        if (IsSkipped()) return;
        CMainCpu probe;
        probe.Reset();
        probe.WriteByte(0xFD18, 0x04); // restore with verify on an empty drive
        if (probe.ReadByte(0xFD18) != 0x80)
            GTEST_SKIP() << "the floppy controllers do not answer yet";
        probe.WriteByte(0xFDC0, 0x10);
        m_haveHdd = probe.ReadByte(0xFDC1) == 0x10;
    }

    static Bytes Record() { return Bytes(g_guest_bootrec, g_guest_bootrec + 512); }

    // A D88 image of track 0, side 0 with the given sectors of 256 bytes from `data`.
    static Bytes D88(const Bytes& data, int sectors) {
        Bytes b(688, 0);
        std::copy_n("ORLO FDD", 9, b.begin());
        b[32] = 688 & 0xFF; // track 0 starts after the header
        b[33] = 688 >> 8;
        for (int r = 1; r <= sectors; ++r) {
            const uint8_t head[16] = {0, 0, uint8_t(r), 1, uint8_t(sectors), 0, 0, 0, 0, 0, 0, 0,
                                      0, 0, 0,          1};
            b.insert(b.end(), head, head + 16);
            for (int i = 0; i < 256; ++i) {
                size_t at = size_t(r - 1) * 256 + i;
                b.push_back(at < data.size() ? data[at] : 0);
            }
        }
        const uint32_t size = uint32_t(b.size());
        for (int i = 0; i < 4; ++i)
            b[28 + i] = uint8_t(size >> 8 * i);
        return b;
    }

    std::string Write(const std::string& name, const Bytes& bytes) {
        std::string path = m_dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    // Puts an image of `kind` holding `record` into drive or unit `drive`.
    void Insert(Kind kind, int drive, const Bytes& record) {
        const std::string name = "disk" + std::to_string(m_images++);
        if (kind == kHardDisk) {
            Bytes image(65536, 0);
            std::copy(record.begin(), record.end(), image.begin());
            auto* file = new CFile;
            ASSERT_TRUE(file->Open(Write(name, image), CFile::modeReadWrite));
            main.m_pHdd[drive] = file;
            return;
        }
        std::string path;
        if (kind == kMiniD88) {
            path = Write(name + ".d88", D88(record, 16));
        } else {
            Bytes image(kind == kMiniRaw ? 327680 : 512512, 0); // 2D; 8-inch 26 x 128
            std::copy(record.begin(), record.end(), image.begin());
            path = Write(name, image);
        }
        auto* fdd = new CFileFdd;
        ASSERT_TRUE(fdd->Open(path, CFile::modeReadWrite));
        main.m_pFdd[(kind == kEightRaw ? 0 : 4) + drive] = fdd;
    }

    TempDir m_dir;
    int m_images = 0;
    bool m_haveHdd = false;
};

struct BootCase {
    Kind kind;
    const char* tried;  // the line of the device that booted
    const char* booted; // the boot program's own line
};

class BootsFrom : public BootTest, public ::testing::WithParamInterface<BootCase> {};

TEST_P(BootsFrom, EachDevice) {
    const BootCase& c = GetParam();
    if (c.kind == kHardDisk && !m_haveHdd)
        GTEST_SKIP() << "the hard-disk controller does not answer yet";
    Insert(c.kind, 0, Record());
    PowerOn(0x1F); // every device, drive 0
    ASSERT_TRUE(RunUntilPrompt()) << Screen();
    const std::string screen = Screen();
    EXPECT_NE(screen.find(std::string(c.tried) + "\n" + c.booted + "\n\nReturned\n"),
              std::string::npos)
        << screen;
    EXPECT_EQ(Peek(0x1000), 'O');
    EXPECT_EQ(Peek(0x1100), dc::kPut); // the second block came in too
}

INSTANTIATE_TEST_SUITE_P(
    Machine, BootsFrom,
    ::testing::Values(
        BootCase{kMiniRaw, "Mini floppy 0: booting", "Booted from device 2, drive 0"},
        BootCase{kMiniD88, "Mini floppy 0: booting", "Booted from device 2, drive 0"},
        BootCase{kEightRaw, "8-inch floppy 0: booting", "Booted from device 1, drive 0"},
        BootCase{kHardDisk, "Hard disk 0: booting", "Booted from device 0, drive 0"}));

struct DipCase {
    int dip;
    const char* expected;
};

class DipSwitches : public BootTest, public ::testing::WithParamInterface<DipCase> {};

// Bootable disks in drive 1 of every kind; drive 2 empty.
TEST_P(DipSwitches, ChooseDeviceAndDrive) {
    const DipCase& c = GetParam();
    if (!m_haveHdd && c.dip == 0x1E) GTEST_SKIP() << "the hard-disk controller does not answer yet";
    if (m_haveHdd) Insert(kHardDisk, 1, Record());
    Insert(kEightRaw, 1, Record());
    Insert(kMiniRaw, 1, Record());
    PowerOn(c.dip);
    ASSERT_TRUE(RunUntilPrompt()) << Screen();
    EXPECT_NE(Screen().find(c.expected), std::string::npos) << Screen();
}

INSTANTIATE_TEST_SUITE_P(
    Machine, DipSwitches,
    ::testing::Values(DipCase{0x1E, "Booted from device 0, drive 1"}, // all on: the hard disk
                      DipCase{0x9E, "Booted from device 1, drive 1"}, // hard disk off
                      DipCase{0xDE, "Booted from device 2, drive 1"}, // mini floppies only
                      DipCase{0x9D, "8-inch floppy 2: no disk\nMini floppy 2: no disk\n"}));

// Records the firmware refuses, each on a mini floppy; the 8-inch drive is empty.
TEST_F(BootTest, RefusedRecords) {
    Bytes noSignature = Record();
    noSignature[0] = 'X';
    Bytes tooLong = Record();
    tooLong[4] = 65;
    Bytes longer = Record();
    longer[4] = 17; // more blocks than track 0 holds
    struct Case {
        Bytes image;
        const char* said;
    } cases[] = {
        {noSignature, "Mini floppy 0: not bootable"},
        {tooLong, "Mini floppy 0: boot record too long"},
        {longer, "Mini floppy 0: read error"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.said);
        auto* fdd = new CFileFdd;
        ASSERT_TRUE(
            fdd->Open(Write("refused" + std::to_string(m_images++) + ".d88", D88(c.image, 16)),
                      CFile::modeReadWrite));
        delete main.m_pFdd[4];
        main.m_pFdd[4] = fdd;
        PowerOn();
        ASSERT_TRUE(RunUntilPrompt()) << Screen();
        EXPECT_EQ(Row(3), c.said) << Screen();
        EXPECT_EQ(Row(4), "Nothing to boot.");
    }
}

// A second boot from the monitor, after the disk has been put in.
TEST_F(BootTest, BootCommand) {
    PowerOn();
    ASSERT_TRUE(RunUntilPrompt()) << Screen();
    Insert(kMiniRaw, 0, Record());
    ASSERT_TRUE(Command("B")) << Screen();
    EXPECT_NE(Screen().find("Mini floppy 0: booting\nBooted from device 2, drive 0\n"),
              std::string::npos)
        << Screen();
}

} // namespace
