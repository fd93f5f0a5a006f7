// The display firmware's commands, driven by guest programs that the monitor calls:
// graphics and kanji pixels on the output surface, text control codes, width, cursor,
// clock, keys kept for the main side, cancel.
#include <cstdio>
#include <random>

#include "machine.h"
#include "rom/roms.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kMagenta = 0xFF00FF;

// Glyph number of JIS X 0208 row r, cell c in the kanji ROM.
int KanjiGlyph(int jis) {
    int r = (jis >> 8) - 0x20, c = (jis & 0xFF) - 0x20;
    return (r <= 8 ? r - 1 : r - 8) * 94 + c - 1;
}

class DisplayTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        if (!IsSkipped()) StartMonitor();
    }

    void Call(int addr, const uint8_t* image, size_t size) {
        Load(addr, image, size);
        char line[16];
        std::snprintf(line, sizeof line, "G %04X", addr);
        ASSERT_TRUE(Command(line)) << Screen();
        Run(2 * kPairsPerTick); // a screen refresh
    }
    // Runs display commands through the dcmd guest; the answer of the last is at $3200.
    void Commands(std::initializer_list<std::vector<uint8_t>> blocks) {
        int at = 0x3100;
        for (const auto& b : blocks) {
            main.m_ram[at++] = uint8_t(b.size());
            for (uint8_t v : b)
                main.m_ram[at++] = v;
        }
        main.m_ram[at] = 0;
        Call(0x2200, g_guest_dcmd, sizeof g_guest_dcmd);
    }
    static std::vector<uint8_t> Put(const std::string& text) {
        std::vector<uint8_t> b{dc::kPut, uint8_t(text.size())};
        b.insert(b.end(), text.begin(), text.end());
        return b;
    }
    uint32_t Px(int x, int y) const { return sub.m_dcOut.GetPixel(x, y); }
    // Compares a 16-row glyph of the given width with the surface at (x, y).
    void ExpectGlyph(int x, int y, int width, const std::function<bool(int, int)>& lit, uint32_t on,
                     uint32_t off, const char* what) {
        int wrong = 0;
        for (int r = 0; r < 16; ++r)
            for (int b = 0; b < width; ++b)
                wrong += Px(x + b, y + r) != (lit(b, r) ? on : off);
        EXPECT_EQ(wrong, 0) << what;
    }
};

TEST_F(DisplayTest, DrawsKanjiShapesAndAttributedText) {
    Call(0x2000, g_guest_draw, sizeof g_guest_draw);

    // "漢字A" then half-width katakana "ｱ" at (16, 240), white on a transparent background.
    for (auto [jis, x] : {std::pair{0x3441, 16}, std::pair{0x3B7A, 32}}) {
        const uint8_t* g = g_kanjiRom + KanjiGlyph(jis) * 32;
        ExpectGlyph(
            x, 240, 16, [&](int b, int r) { return g[r * 2 + b / 8] & (0x80 >> (b % 8)); }, kWhite,
            kBlack, "kanji");
    }
    for (auto [ch, x] : {std::pair{0x41, 48}, std::pair{0xB1, 56}}) {
        const uint8_t* g = g_fontRom + ch * 16;
        ExpectGlyph(
            x, 240, 8, [&](int b, int r) { return g[r] & (1 << b); }, kWhite, kBlack, "half-width");
    }

    // Rectangle (100, 200)-(107, 203) in code 2, and nothing around it.
    for (int y = 199; y <= 204; ++y)
        for (int x = 99; x <= 108; ++x)
            EXPECT_EQ(Px(x, y), x >= 100 && x <= 107 && y >= 200 && y <= 203 ? kRed : kBlack)
                << x << "," << y;
    // Box with its corners given in reverse order: the outline only.
    for (int x = 200; x <= 300; x += 20) {
        EXPECT_EQ(Px(x, 200), kGreen);
        EXPECT_EQ(Px(x, 250), kGreen);
    }
    EXPECT_EQ(Px(200, 225), kGreen);
    EXPECT_EQ(Px(300, 225), kGreen);
    EXPECT_EQ(Px(250, 225), kBlack);
    EXPECT_EQ(Px(199, 200), kBlack);
    EXPECT_EQ(Px(301, 251), kBlack);
    // Line (400, 300)-(410, 305): one dot per column, from end to end.
    EXPECT_EQ(Px(400, 300), kBlue);
    EXPECT_EQ(Px(410, 305), kBlue);
    for (int x = 400; x <= 410; ++x) {
        int dots = 0;
        for (int y = 298; y <= 307; ++y)
            dots += Px(x, y) == kBlue;
        EXPECT_EQ(dots, 1) << x;
    }
    EXPECT_EQ(Px(639, 399), kMagenta);

    // 'H' at column 10, row 20, attribute reverse + bright + colour 2.
    const uint8_t* h = g_fontRom + 'H' * 16;
    ExpectGlyph(
        80, 320, 8, [&](int b, int r) { return !(h[r] & (1 << b)); }, kRed, kBlack, "reverse text");
    // READ of that cell, CLOCK and an empty KEY, as the guest kept them.
    const uint8_t expected[12] = {'H', 0x2A, 0x07, 0xEA, 12, 5, 13, 5, 9, 0, 0, 0};
    EXPECT_TRUE(std::equal(expected, expected + 12, main.m_ram + 0x3000));
    // The guest cleared the text screen; the monitor went on below the 'H', in its own
    // attribute again.
    EXPECT_EQ(Row(0), "");
    EXPECT_EQ(Row(21), "Returned");
    EXPECT_EQ(sub.m_mem[(21 * 80) * 2 + 1], 0x07);
}

TEST_F(DisplayTest, TextControlCodes) {
    Commands({
        Put("\x0c"
            "AB\bC\r\n\tT\x01" // clear, BS, CR, LF, TAB; 0x01 does nothing
            "\x1b=%\x6c"
            "0123456"     // row 5, column 76; wraps into row 6
            "\x0bh\x1bQq" // home; an unknown ESC sequence is dropped
            "\x1b"
            "C\x24\x1b="),         // attribute $24; the sequence goes on...
        Put("\x23\xe8x\t"),        // ...in the next command: row 3, column 200
        Put("\x1b=\x48 Z\x1b=* "), // row 40 is the last row; then row 10
        {dc::kRead, 79, 3},
    });
    EXPECT_EQ(Row(0), "hq");
    EXPECT_EQ(Row(1), "        T");
    EXPECT_EQ(Row(5), std::string(76, ' ') + "0123");
    EXPECT_EQ(Row(6), "456");
    EXPECT_EQ(Row(3), std::string(79, ' ') + "x"); // column clamped
    EXPECT_EQ(Row(4), "");                         // wrapped, then TAB: nothing printed
    EXPECT_EQ(Row(24), "Z");
    EXPECT_EQ(Row(11), "Returned");
    EXPECT_EQ(main.m_ram[0x3202], 'x');
    EXPECT_EQ(main.m_ram[0x3203], 0x24);
}

TEST_F(DisplayTest, FortyColumnsAndBack) {
    Commands({{dc::kWidth, 40}});
    EXPECT_EQ(sub.m_nColumns, 40);
    EXPECT_EQ(sub.m_nCharWidth, 16);
    EXPECT_EQ(Row(1), "Returned");
    EXPECT_EQ(Row(2).size(), 40u); // the register line wraps
    Commands({{dc::kWidth, 50}});  // not a width: nothing changes
    EXPECT_EQ(sub.m_nColumns, 40);
    Commands({{dc::kWidth, 80}});
    EXPECT_EQ(sub.m_nColumns, 80);
    EXPECT_EQ(Row(1), "Returned");
}

TEST_F(DisplayTest, CursorFollowsAndTakesItsShape) {
    EXPECT_EQ(sub.m_cursor.column, 2);
    EXPECT_EQ(sub.m_cursor.row, CursorRow());
    Type("A");
    ASSERT_TRUE(RunUntil([&] { return sub.m_cursor.column == 3; }, 1'000'000));
    EXPECT_EQ(sub.m_cursor.row, CursorRow());
    Type("\b");
    ASSERT_TRUE(RunUntilPrompt());
    Commands({{dc::kCursor, 3, 2, 13}});
    EXPECT_EQ(sub.m_crtc[10], 0x62);
    EXPECT_EQ(sub.m_crtc[11], 13);
    EXPECT_EQ(sub.m_cursor.blink, 3);
    EXPECT_EQ(sub.m_cursor.row, CursorRow());
    Commands({{dc::kCursor, 1, 0, 15}});
    EXPECT_EQ(sub.m_cursor.blink, 1);
}

TEST_F(DisplayTest, TwoHundredLineMode) {
    Commands({
        {dc::kGMode, 0, 7},
        {dc::kGCls, 0},
        {dc::kFill, 0, 0, 0, 0, 0, 7, 0, 0, 7},                // line 0: pixel rows 0 and 1
        {dc::kPSet, 0, 8, 0, 199, 4},                          // the last line
        {dc::kPSet, 0, 8, 0, 200, 4},                          // off the screen
        {dc::kFill, 0, 16, 0, 190, 0x0F, 0xFF, 0x7F, 0xFF, 1}, // clipped at the corner
    });
    EXPECT_EQ(sub.m_nDispBank, 0);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(Px(x, 0), kWhite);
        EXPECT_EQ(Px(x, 1), kWhite);
    }
    EXPECT_EQ(Px(8, 398), kGreen);
    EXPECT_EQ(Px(8, 399), kGreen);
    EXPECT_EQ(sub.m_vram[200 * 80 + 1], 0); // plane 0, line 200 untouched
    EXPECT_EQ(sub.m_vram[2 * 0x8000 + 200 * 80 + 1], 0);
    EXPECT_EQ(Px(639, 399), kBlue);
    EXPECT_EQ(Px(16, 380), kBlue);
    EXPECT_EQ(Px(15, 380), kBlack);
    Commands({{dc::kGMode, 1, 7}});
}

TEST_F(DisplayTest, KanjiOnABackgroundOffTheGridAndAtTheEdge) {
    auto kanji = [](int x, int y, std::string text) {
        std::vector<uint8_t> b{
            dc::kKanji, uint8_t(x >> 8),     uint8_t(x), uint8_t(y >> 8), uint8_t(y), 7,
            1,          uint8_t(text.size())};
        b.insert(b.end(), text.begin(), text.end());
        return b;
    };
    // Below the monitor's lines: text would be mixed onto the graphics.
    Commands({
        {dc::kGCls, 0},
        kanji(3, 300, "\x8a\xbf\x85\x40\x88"), // kanji, a row without glyphs, a lone lead byte
        kanji(632, 350, "\x8a\xbf"),           // only its left half fits
    });
    const uint8_t* g = g_kanjiRom + KanjiGlyph(0x3441) * 32;
    auto kan = [&](int b, int r) { return bool(g[r * 2 + b / 8] & (0x80 >> (b % 8))); };
    ExpectGlyph(3, 300, 16, kan, kWhite, kBlue, "kanji at x = 3");
    ExpectGlyph(
        19, 300, 16, [](int, int) { return false; }, kWhite, kBlue, "no glyph: blank");
    const uint8_t* block = g_fontRom + 0x88 * 16;
    ExpectGlyph(
        35, 300, 8, [&](int b, int r) { return bool(block[r] & (1 << b)); }, kWhite, kBlue,
        "lone lead byte as a character");
    EXPECT_EQ(Px(2, 300), kBlack);
    EXPECT_EQ(Px(43, 300), kBlack);
    ExpectGlyph(632, 350, 8, kan, kWhite, kBlue, "left half at the edge");
    EXPECT_EQ(Px(0, 351), kBlack); // nothing wrapped into the next line
    EXPECT_EQ(Px(7, 351), kBlack);
}

TEST_F(DisplayTest, KeysWaitInTheDisplayFirmware) {
    Load(0x2400, g_guest_keys, sizeof g_guest_keys);
    Type("G 2400\n");
    ASSERT_TRUE(RunUntil([&] { return main.m_io[0x002] == 0; }, 2'000'000));
    sub.PushKey('x');
    sub.PushKey(0x121); // Shift+F1
    ASSERT_TRUE(RunUntilPrompt()) << Screen();
    const uint8_t expected[9] = {1, 0, 'x', 1, 0x01, 0x21, 0, 0, 0};
    EXPECT_TRUE(std::equal(expected, expected + 9, main.m_ram + 0x3300));
    EXPECT_EQ(main.m_io[0xCFD], 0); // none waiting
}

TEST_F(DisplayTest, CancelAbandonsALongCommand) {
    Call(0x2600, g_guest_cancel, sizeof g_guest_cancel);
    EXPECT_EQ(main.m_ram[0x3301], uint8_t(main.m_ram[0x3300] + 1));
    EXPECT_EQ(Px(5, 6), kWhite);     // the command after it ran
    EXPECT_EQ(Px(200, 200), kBlack); // the line never reached the screen
    EXPECT_EQ(Px(399, 399), kBlack);
}

// Random command blocks: whatever a program sends, the display firmware answers the
// next command.
TEST_F(DisplayTest, SurvivesRandomCommands) {
    std::mt19937 random(10);
    for (int round = 0; round < 12; ++round) {
        int at = 0x3100;
        while (at < 0x31D0) {
            std::vector<uint8_t> block(1 + random() % 24);
            for (uint8_t& b : block)
                b = uint8_t(random());
            block[0] = uint8_t(random() % 0x20);
            if (block[0] == dc::kGCls) block[0] = dc::kPSet; // keep the run short
            main.m_ram[at++] = uint8_t(block.size());
            for (uint8_t b : block)
                main.m_ram[at++] = b;
        }
        main.m_ram[at] = 0;
        Load(0x2200, g_guest_dcmd, sizeof g_guest_dcmd);
        ASSERT_TRUE(Command("G 2200", 30'000'000)) << round << "\n" << Screen();
    }
    Commands({{dc::kWidth, 80},
              Put("\x1b=  \x1b"
                  "C\x07Ok"),
              {dc::kRead, 1, 0}});
    EXPECT_EQ(main.m_ram[0x3202], 'k');
    EXPECT_EQ(main.m_ram[0x3203], 0x07);
}

TEST_F(DisplayTest, TicksCount) {
    Run(20 * kPairsPerTick); // the display board measures its speed over two seconds
    const int before = main.m_io[0xCFE] << 8 | main.m_io[0xCFF];
    Run(20 * kPairsPerTick); // two seconds
    const int after = main.m_io[0xCFE] << 8 | main.m_io[0xCFF];
    EXPECT_GE(after - before, 80); // 20 ms each, give or take the calibration
    EXPECT_LE(after - before, 120);
}

} // namespace
