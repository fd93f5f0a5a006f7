// The firmware on a machine without disks: banner and prompt, keys, the monitor's
// commands, programs it runs and stops, scrolling.
#include "machine.h"

namespace {

class MonitorTest : public MachineTest {
protected:
    void SetUp() override { StartMonitor(); } // a failure there skips the test
};

TEST_F(MonitorTest, BannerPromptAndKeys) {
    const std::string start = "Orlo open firmware 1.0\n\n8-inch floppy 0: no disk\n"
                              "Mini floppy 0: no disk\nNothing to boot.\n"
                              "Monitor: D M F G R B L S\n>\n\n";
    EXPECT_EQ(Screen().substr(0, start.size()), start);
    EXPECT_EQ(main.m_io[0xDA0], 0x0F); // both layers drawn
    const uint8_t palette[8] = {0, 9, 10, 11, 12, 13, 14, 15};
    EXPECT_TRUE(std::equal(palette, palette + 8, main.m_pal));

    Run(5 * kPairsPerTick); // the display board's start-up key ('P') is long delivered
    std::string line = "P";
    while (line.size() < 62) // a full line, typed at once
        line += char('0' + line.size() % 10);
    Type(line + "Z\b!"); // Z does not fit; BS rubs out the last that did
    sub.PushKey(0x101);  // F1 and Up type nothing
    sub.PushKey(0x116);
    ASSERT_TRUE(RunUntil([&] { return CursorColumn() == 64; })) << Screen();
    ASSERT_TRUE(Command("")) << Screen();
    EXPECT_EQ(Row(6), "> " + line.substr(0, 61) + "!");
    EXPECT_EQ(Row(7), "?");
}

TEST_F(MonitorTest, DumpShowsMemoryButNotTheIoPage) {
    const uint8_t bytes[16] = {'A', 'b', 0x00, 0x7F, 0xB1, 0xE0, '~', ' ', 1, 2, 3, 4, 5, 6, 7, 8};
    Load(0x3000, bytes, 16);
    ASSERT_TRUE(Command("D 3000 300F")) << Screen();
    EXPECT_EQ(Row(7), "3000  41 62 00 7F B1 E0 7E 20 01 02 03 04 05 06 07 08  Ab..\xB1.~ ........");
    // Without arguments it goes on for 128 bytes.
    ASSERT_TRUE(Command("d fcf0")) << Screen();
    ASSERT_TRUE(Command("D")) << Screen();
    EXPECT_TRUE(ScreenHas("\nFD00  -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --  ......"));
    EXPECT_TRUE(ScreenHas("\n> D\nFD70  --"));
    EXPECT_FALSE(ScreenHas("\nFDF0"));
}

TEST_F(MonitorTest, ModifyFillAndMistakes) {
    ASSERT_TRUE(Command("M 3000 12 34 5")) << Screen();
    ASSERT_TRUE(Command("F 3100 31FF A5")) << Screen();
    for (const char* line : {"Z", "M", "M 3000 123", "M 3000 1G", "F 3100 30FF 1", "F 3000 3001",
                             "F 12345 0 0", "R 1", "G", "F FE00 FEFF 0", "F FC00 FD00 55"}) {
        ASSERT_TRUE(Command(line)) << line << "\n" << Screen();
        EXPECT_EQ(Answer().substr(0, 1), "?") << line;
    }
    // A fill that would reach the I/O page writes nothing at all.
    EXPECT_EQ(Answer(), "? $FD00-$FFFF holds the I/O page and the monitor");
    EXPECT_EQ(Peek(0xFC00), 0);
    EXPECT_EQ(Bytes(main.m_ram + 0x3000, main.m_ram + 0x3004), (Bytes{0x12, 0x34, 0x05, 0}));
    EXPECT_EQ(std::count(main.m_ram + 0x30FF, main.m_ram + 0x3201, 0xA5), 0x100);

    // One address a line: a value, an empty line, then anything else ends.
    Type("M 3001\nAB\n\n.\n");
    ASSERT_TRUE(RunUntilPrompt()) << Screen();
    EXPECT_TRUE(ScreenHas("3001 34 AB\n3002 05\n3003 00 .\n>")) << Screen();
    EXPECT_EQ(Bytes(main.m_ram + 0x3000, main.m_ram + 0x3004), (Bytes{0x12, 0xAB, 0x05, 0}));
}

// Programs run with G stop by returning, SWI or BREAK (also while holding the display
// processor); the monitor shows where, and R shows it again.
TEST_F(MonitorTest, ProgramsStopAndShowTheirRegisters) {
    const struct {
        Bytes code;
        std::string stop, registers;
    } cases[] = {
        // LDA #$42; LDB #$17; LDX #$1234; LDY #$ABCD; LDW #$0E0F; RTS
        {{0x86, 0x42, 0xC6, 0x17, 0x8E, 0x12, 0x34, 0x10, 0x8E, 0xAB, 0xCD, 0x10, 0x86, 0x0E, 0x0F,
          0x39},
         "Returned",
         "PC=3000 A=42 B=17 E=0E F=0F X=1234 Y=ABCD U="},
        {{0x86, 0x99, 0x3F}, "SWI", "PC=3003 A=99"},                      // LDA; SWI
        {{0x8E, 0, 0, 0x30, 0x01, 0x20, 0xFC}, "Break", "PC=300"},        // counts on
        {{0x86, 0x80, 0xB7, 0xFD, 0x05, 0x20, 0xFE}, "Break", "PC=3005"}, // holds
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stop);
        Load(0x3000, c.code.data(), c.code.size());
        Type("G 3000\n");
        if (c.stop == "Break") {
            Run(200'000);
            ASSERT_FALSE(AtPrompt());
            sub.PushKey(0x201);
        }
        ASSERT_TRUE(RunUntilPrompt()) << Screen();
        EXPECT_TRUE(ScreenHas(c.stop + "\n" + c.registers)) << Screen();
        ASSERT_TRUE(Command("R")) << Screen();
        EXPECT_EQ(Answer().rfind(c.registers, 0), 0u) << Screen();
    }
}

// 256 lines go round the text memory many times; the picture shows the prompt in the
// last row.
TEST_F(MonitorTest, ScrollsAtTheBottom) {
    ASSERT_TRUE(Command("D 0 FFF", 20'000'000)) << Screen();
    EXPECT_EQ(CursorRow(), 24);
    EXPECT_EQ(Row(22).substr(0, 6), "0FE0  ");
    EXPECT_EQ(Row(23).substr(0, 6), "0FF0  ");
    Run(2 * kPairsPerTick);
    ExpectGlyph(0, 384, 8, FontGlyph('>'), 0, "the prompt", CSubCpu::kColorTable[7]);
}

} // namespace
