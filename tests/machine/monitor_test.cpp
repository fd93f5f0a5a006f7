// The firmware on a machine without disks: banner, boot messages, the monitor's
// commands, keys, BREAK.
#include "machine.h"
#include "rom/roms.h"

namespace {

using MonitorTest = MachineTest;

TEST_F(MonitorTest, BannerBootMessagesAndPrompt) {
    StartMonitor();
    EXPECT_EQ(Row(0), "Orlo open firmware 1.0");
    EXPECT_EQ(Row(2), "8-inch floppy 0: no disk");
    EXPECT_EQ(Row(3), "Mini floppy 0: no disk");
    EXPECT_EQ(Row(4), "Nothing to boot.");
    EXPECT_EQ(Row(5), "Monitor: D M F G R B L S");
    EXPECT_EQ(Row(6), ">");
    EXPECT_EQ(main.m_io[0xDA0], 0x0F); // both layers drawn
    const uint8_t palette[8] = {0, 9, 10, 11, 12, 13, 14, 15};
    EXPECT_TRUE(std::equal(palette, palette + 8, main.m_pal));
}

TEST_F(MonitorTest, NoDeviceEnabled) {
    StartMonitor(0xE3);
    EXPECT_EQ(Row(2), "No boot device is enabled.");
}

TEST_F(MonitorTest, KeysAreEchoedAndRubbedOut) {
    StartMonitor();
    Type("ORLO42");
    ASSERT_TRUE(RunUntilText("> ORLO42")) << Screen();
    EXPECT_EQ(CursorColumn(), 8);
    Type("\b\bP");
    ASSERT_TRUE(RunUntil([&] { return Row(6) == "> ORLOP"; }, 1'000'000)) << Screen();
    // Function keys, cursor keys and BREAK type nothing; Enter runs the line.
    sub.PushKey(0x101);
    sub.PushKey(0x116);
    ASSERT_TRUE(Command("")) << Screen();
    EXPECT_EQ(Row(6), "> ORLOP");
    EXPECT_EQ(Row(7), "?");
}

TEST_F(MonitorTest, StartUpKeyIsDroppedAndTypingAheadIsKept) {
    StartMonitor();
    Run(5 * kPairsPerTick); // the display board's start-up key has long been delivered
    EXPECT_EQ(Row(6), ">");
    std::string line = "P";
    while (line.size() < 62) // a full line, typed at once
        line += char('0' + line.size() % 10);
    Type(line + "Z\b!"); // Z does not fit; BS rubs out the last that did
    ASSERT_TRUE(RunUntilText("> " + line.substr(0, 61) + "!")) << Screen();
    EXPECT_EQ(CursorColumn(), 64);
}

TEST_F(MonitorTest, DumpShowsMemory) {
    StartMonitor();
    const uint8_t bytes[16] = {'A', 'b', 0x00, 0x7F, 0xB1, 0xE0, '~', ' ', 1, 2, 3, 4, 5, 6, 7, 8};
    Load(0x3000, bytes, 16);
    ASSERT_TRUE(Command("D 3000 300F")) << Screen();
    EXPECT_EQ(Row(7), "3000  41 62 00 7F B1 E0 7E 20 01 02 03 04 05 06 07 08  Ab..\xB1.~ ........");
    EXPECT_EQ(Row(8), ">");
    // Without arguments it goes on for 128 bytes; the I/O page is not read.
    ASSERT_TRUE(Command("d fcf0")) << Screen();
    ASSERT_TRUE(Command("D")) << Screen();
    const std::string screen = Screen();
    EXPECT_NE(screen.find("\nFCF0  00 "), std::string::npos) << screen;
    EXPECT_NE(screen.find("\nFD00  -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --  ......"),
              std::string::npos)
        << screen;
    EXPECT_NE(screen.find("\n> D\nFD70  --"), std::string::npos) << screen;
    EXPECT_NE(screen.find("\nFDE0  --"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("\nFDF0"), std::string::npos) << screen;
}

TEST_F(MonitorTest, ModifyFillAndErrors) {
    StartMonitor();
    ASSERT_TRUE(Command("M 3000 12 34 5")) << Screen();
    EXPECT_EQ(main.m_ram[0x3000], 0x12);
    EXPECT_EQ(main.m_ram[0x3001], 0x34);
    EXPECT_EQ(main.m_ram[0x3002], 0x05);

    // One address a line: a value, an empty line, then anything else ends.
    Type("M 3001\n");
    ASSERT_TRUE(RunUntilText("3001 34")) << Screen();
    Type("AB\n\n.\n");
    ASSERT_TRUE(RunUntilPrompt()) << Screen();
    EXPECT_NE(Screen().find("3001 34 AB\n3002 05\n3003 00 .\n>"), std::string::npos) << Screen();
    EXPECT_EQ(main.m_ram[0x3001], 0xAB);
    EXPECT_EQ(main.m_ram[0x3002], 0x05);

    ASSERT_TRUE(Command("F 3100 31FF A5")) << Screen();
    EXPECT_TRUE(
        std::all_of(main.m_ram + 0x3100, main.m_ram + 0x3200, [](uint8_t b) { return b == 0xA5; }));
    EXPECT_EQ(main.m_ram[0x3200], 0);

    struct Case {
        const char* line;
        const char* answer;
    } cases[] = {
        {"Z", "?"},
        {"M", "?"},
        {"M 3000 123", "?"},
        {"M 3000 1G", "?"},
        {"F 3100 30FF 1", "?"},
        {"F 3000 3001", "?"},
        {"F 12345 0 0", "?"},
        {"F FD00 FE00 0", "? $FE00-$FFFF belongs to the monitor"},
        {"R 1", "?"},
        {"G", "?"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Command(c.line)) << c.line << "\n" << Screen();
        EXPECT_EQ(Row(CursorRow() - 1), c.answer) << c.line;
    }
    EXPECT_EQ(main.m_ram[0x3000], 0x12);
    EXPECT_EQ(main.m_ram[0x3100], 0xA5);
}

TEST_F(MonitorTest, GoReturnsWithRegisters) {
    StartMonitor();
    // LDA #$42; LDB #$17; LDX #$1234; LDY #$ABCD; LDW #$0E0F; RTS
    Load(0x3000, {0x86, 0x42, 0xC6, 0x17, 0x8E, 0x12, 0x34, 0x10, 0x8E, 0xAB, 0xCD, 0x10, 0x86,
                  0x0E, 0x0F, 0x39});
    ASSERT_TRUE(Command("G 3000")) << Screen();
    const std::string screen = Screen();
    EXPECT_NE(screen.find("Returned\nPC=3000 A=42 B=17 E=0E F=0F X=1234 Y=ABCD U="),
              std::string::npos)
        << screen;
    ASSERT_TRUE(Command("R")) << Screen();
    EXPECT_EQ(Row(CursorRow() - 1).substr(0, 44), "PC=3000 A=42 B=17 E=0E F=0F X=1234 Y=ABCD U=");
}

TEST_F(MonitorTest, SwiStopsTheProgram) {
    StartMonitor();
    Load(0x3000, {0x86, 0x99, 0x3F}); // LDA #$99; SWI
    ASSERT_TRUE(Command("G 3000")) << Screen();
    EXPECT_NE(Screen().find("SWI\nPC=3003 A=99"), std::string::npos) << Screen();
}

TEST_F(MonitorTest, BreakStopsARunningProgram) {
    StartMonitor();
    Load(0x3000, {0x8E, 0x00, 0x00, 0x30, 0x01, 0x20, 0xFC}); // LDX #0; loop: LEAX 1,X; BRA
    Type("G 3000\n");
    Run(200'000);
    ASSERT_FALSE(AtPrompt());
    sub.PushKey(0x201);
    ASSERT_TRUE(RunUntilPrompt()) << Screen();
    EXPECT_NE(Screen().find("Break\nPC=300"), std::string::npos) << Screen();
    // The monitor works on.
    ASSERT_TRUE(Command("M 3000 77")) << Screen();
    EXPECT_EQ(main.m_ram[0x3000], 0x77);
}

TEST_F(MonitorTest, BreakReleasesADisplayHeldByTheProgram) {
    StartMonitor();
    Load(0x3000, {0x86, 0x80, 0xB7, 0xFD, 0x05, 0x20, 0xFE}); // LDA #$80; STA $FD05; BRA *
    Type("G 3000\n");
    Run(200'000);
    ASSERT_TRUE(main.m_io[0x005] & 0x80); // held
    sub.PushKey(0x201);
    ASSERT_TRUE(RunUntilPrompt()) << Screen();
    EXPECT_NE(Screen().find("Break\nPC=3005"), std::string::npos) << Screen();
}

TEST_F(MonitorTest, ScrollsAtTheBottom) {
    StartMonitor();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Command("D 0")) << Screen();
    EXPECT_NE(sub.m_nTextStart, 0);
    EXPECT_EQ(CursorRow(), 24);
    EXPECT_EQ(Row(24), ">");
    EXPECT_EQ(Row(23).substr(0, 6), "0070  ");
    EXPECT_EQ(Row(22).substr(0, 6), "0060  ");
}

TEST_F(MonitorTest, ScrollingWrapsAroundTextMemory) {
    StartMonitor();
    ASSERT_TRUE(Command("D 0 FFF", 20'000'000)) << Screen(); // 256 lines, the ring many times
    EXPECT_EQ(Row(23).substr(0, 6), "0FF0  ");
    EXPECT_EQ(Row(24), ">");
    Run(2 * kPairsPerTick);
    // The picture shows the prompt in the last row, drawn from the font.
    int wrong = 0;
    for (int r = 0; r < 16; ++r)
        for (int b = 0; b < 8; ++b)
            wrong +=
                (sub.m_dcOut.GetPixel(b, 384 + r) != 0) != bool(g_fontRom['>' * 16 + r] & (1 << b));
    EXPECT_EQ(wrong, 0);
}

TEST_F(MonitorTest, BootAgain) {
    StartMonitor();
    ASSERT_TRUE(Command("B")) << Screen();
    EXPECT_EQ(Row(CursorRow() - 1), "Nothing to boot.");
}

} // namespace
