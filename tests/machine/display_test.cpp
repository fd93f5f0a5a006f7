// The display firmware's commands, sent by the dcmd guest that the monitor calls: text
// control codes, width, answers, graphics and kanji pixels, keys kept for the main side,
// cancel, and random command blocks.
#include <cstdio>
#include <random>
#include <tuple>

#include "machine.h"

namespace {

// Display command codes (rom/include/orlo.inc).
enum : uint8_t { kPut = 1, kCursor, kWidth, kRead, kClock, kKey };
enum : uint8_t { kGMode = 0x10, kGCls, kPSet, kLine, kBox, kFill, kKanji };

constexpr uint32_t kBlack = 0x000000, kBlue = 0x0000FF, kRed = 0xFF0000, kGreen = 0x00FF00;
constexpr uint32_t kMagenta = 0xFF00FF;

Bytes Put(const std::string& text) {
    Bytes b{kPut, uint8_t(text.size())};
    return b.insert(b.end(), text.begin(), text.end()), b;
}
// A command of 16-bit coordinates and a colour.
Bytes Shape(uint8_t code, std::initializer_list<int> xy, uint8_t colour) {
    Bytes b{code};
    for (int v : xy)
        b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)});
    return b.push_back(colour), b;
}
Bytes Kanji(int x, int y, uint8_t background, const std::string& text) {
    Bytes b = Shape(kKanji, {x, y}, 7);
    b.insert(b.end(), {background, uint8_t(text.size())});
    return b.insert(b.end(), text.begin(), text.end()), b;
}
// The kanji ROM glyph of JIS X 0208 code `jis`, lit at dot (b, r).
std::function<bool(int, int)> KanjiGlyph(int jis) {
    const int r = (jis >> 8) - 0x20, c = (jis & 0xFF) - 0x20;
    const uint8_t* g = g_kanjiRom + ((r <= 8 ? r - 1 : r - 8) * 94 + c - 1) * 32;
    return [g](int b, int r) { return bool(g[r * 2 + b / 8] & (0x80 >> b % 8)); };
}

class DisplayTest : public MachineTest {
protected:
    void SetUp() override { StartMonitor(); }

    void Call(int addr, const uint8_t* image, size_t size) {
        Load(addr, image, size);
        char line[16];
        std::snprintf(line, sizeof line, "G %04X", addr);
        ASSERT_TRUE(Command(line, 30'000'000)) << Screen();
        Run(2 * kPairsPerTick); // a screen refresh
    }
    // Runs display commands; the shared block after the last is kept at $3200.
    void Commands(const std::vector<Bytes>& blocks) {
        int at = 0x3100;
        for (const Bytes& b : blocks) {
            main.m_ram[at++] = uint8_t(b.size());
            at = int(std::copy(b.begin(), b.end(), main.m_ram + at) - main.m_ram);
        }
        main.m_ram[at] = 0;
        ASSERT_NO_FATAL_FAILURE(Call(0x2200, g_guest_dcmd, sizeof g_guest_dcmd));
    }
    Bytes Result(int offset, int count) const {
        return Bytes(main.m_ram + 0x3200 + offset, main.m_ram + 0x3200 + offset + count);
    }
};

// Display commands in, text rows, dots and the last command's answer out. The monitor
// goes on below what the commands leave.
TEST_F(DisplayTest, CommandsInScreenOut) {
    const struct {
        const char* what = {};
        std::vector<Bytes> blocks = {};
        std::vector<std::pair<int, std::string>> rows = {};
        std::vector<std::tuple<int, int, uint32_t>> dots = {}; // x, y, colour
        Bytes answer = {};                                     // the parameters from `at` on
        int at = 0;
    } cases[] = {
        // clang-format off
        {.what = "control codes",
         .blocks = {Put("\x0c" "AB\bC\r\n\tT\x01"  // clear, BS, CR, LF, TAB; 0x01 does nothing
                        "\x1b=%\x6c" "0123456"     // row 5, column 76; wraps into row 6
                        "\x0bh\x1bQq"              // home; an unknown ESC sequence is dropped
                        "\x1b="),                  // the sequence goes on...
                    Put("\x23\xe8x\t"),            // ...in the next command: row 3, column 200
                    Put("\x1b=\x48 Z\x1b=* ")},    // row 40 is the last row; then row 10
         // Row 3: the column clamped; row 4 wrapped into, then TAB: nothing printed.
         .rows = {{0, "hq"}, {1, "        T"}, {3, std::string(79, ' ') + "x"}, {4, ""},
                  {5, std::string(76, ' ') + "0123"}, {6, "456"}, {11, "Returned"}, {24, "Z"}}},
        {.what = "widths other than 40 and 80 are ignored",
         .blocks = {{kWidth, 40}, {kWidth, 50}, Put(std::string(40, '4') + "!")},
         .rows = {{0, std::string(40, '4')}, {1, "!"}, {2, "Returned"}}},
        {.what = "80 columns", .blocks = {{kWidth, 80}, Put(std::string(50, '8'))},
         .rows = {{0, std::string(50, '8')}, {1, "Returned"}}},
        {.what = "read outside", .blocks = {{kRead, 80, 0}}, .answer = {0, 0}, .at = 2},
        {.what = "clock", .blocks = {{kClock}}, .answer = {0x07, 0xEA, 12, 5, 13, 5, 9}},
        {.what = "no key", .blocks = {{kKey}}, .answer = {0, 0, 0}},
        {.what = "reverse + bright + colour 2 at row 20, column 10, the sequences split",
         .blocks = {Put("\x1b=\x34"), Put("\x2a\x1b" "C"), Put("\x2aH"), {kRead, 10, 20}},
         .answer = {'H', 0x2A}, .at = 2},
        {.what = "the monitor is back to its attribute", .blocks = {{kRead, 0, 21}},
         .answer = {'R', 0x07}, .at = 2},
        {.what = "200 lines",
         .blocks = {Put("\x0c"), {kGMode, 0, 7}, {kGCls, 0},
                    Shape(kFill, {0, 0, 7, 0}, 7),                // line 0: pixel rows 0 and 1
                    Shape(kPSet, {8, 199}, 4),                    // the last line
                    Shape(kPSet, {8, 200}, 4),                    // off the screen
                    Shape(kFill, {16, 190, 0x0FFF, 0x7FFF}, 1)},  // clipped at the corner
         .dots = {{0, 0, kWhite}, {7, 1, kWhite}, {8, 398, kGreen}, {8, 399, kGreen},
                  {639, 399, kBlue}, {16, 380, kBlue}, {15, 380, kBlack}}},
        {.what = "400 lines",
         .blocks = {{kGMode, 1, 7}, {kGCls, 0},
                    Shape(kFill, {100, 200, 107, 203}, 2),
                    Shape(kBox, {300, 200, 200, 250}, 4),  // corners in reverse order: the outline
                    Shape(kLine, {400, 300, 410, 305}, 1),
                    Shape(kPSet, {639, 399}, 3),
                    Shape(kPSet, {640, 300}, 3)},          // off the screen
         .dots = {{100, 200, kRed}, {107, 203, kRed}, {99, 200, kBlack}, {108, 203, kBlack},
                  {100, 199, kBlack}, {107, 204, kBlack}, {200, 200, kGreen}, {300, 250, kGreen},
                  {200, 225, kGreen}, {300, 225, kGreen}, {250, 200, kGreen}, {250, 250, kGreen},
                  {250, 225, kBlack}, {199, 200, kBlack}, {301, 251, kBlack}, {400, 300, kBlue},
                  {410, 305, kBlue}, {639, 399, kMagenta}, {0, 301, kBlack}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Commands(c.blocks));
        for (const auto& [row, text] : c.rows)
            EXPECT_EQ(Row(row), text) << row << "\n" << Screen();
        for (auto [x, y, colour] : c.dots)
            EXPECT_EQ(Px(x, y), colour) << x << "," << y;
        EXPECT_EQ(Result(c.at, int(c.answer.size())), c.answer);
        EXPECT_EQ(sub.m_vram[2 * 0x8000 + 200 * 80 + 1], 0); // plane 2, line 200
    }
    int line = 0; // the last line drawn: one dot per column
    for (int y = 295; y <= 310; ++y)
        for (int x = 395; x <= 415; ++x)
            line += Px(x, y) == kBlue;
    EXPECT_EQ(line, 11);
}

TEST_F(DisplayTest, CursorFollowsAndTakesItsShape) {
    ASSERT_NO_FATAL_FAILURE(Commands({{kCursor, 3, 2, 13}}));
    EXPECT_EQ(sub.m_crtc[10], 0x62);
    EXPECT_EQ(sub.m_crtc[11], 13);
    EXPECT_EQ(sub.m_cursor.row, CursorRow());
    EXPECT_EQ(sub.m_cursor.column, 2);
}

TEST_F(DisplayTest, KanjiPixels) {
    ASSERT_NO_FATAL_FAILURE(Commands({
        {kGCls, 2},
        // White on transparent: kanji of level 1 (two lead-byte forms), a symbol row, half
        // width roman and katakana.
        Kanji(16, 240, 0xFF,
              "\x8a\xbf\x8e\x9a\x89\x40\x82\xa0"
              "A\xb1"),
        // On blue, off the byte grid: kanji, a row without glyphs, a lone lead byte.
        Kanji(3, 300, 1, "\x8a\xbf\x85\x40\x88"),
        Kanji(632, 350, 1, "\x8a\xbf"), // only its left half fits
    }));
    const int jis[] = {0x3441, 0x3B7A, 0x3121, 0x2422}; // 8ABF 8E9A 8940 82A0
    for (int i = 0; i < 4; ++i)
        ExpectGlyph(16 + 16 * i, 240, 16, KanjiGlyph(jis[i]), kRed, "kanji or symbol");
    ExpectGlyph(80, 240, 8, FontGlyph('A'), kRed, "A");
    ExpectGlyph(88, 240, 8, FontGlyph(0xB1), kRed, "B1");
    ExpectGlyph(3, 300, 16, KanjiGlyph(0x3441), kBlue, "at x = 3");
    ExpectGlyph(19, 300, 16, FontGlyph(0), kBlue, "no glyph: blank");
    ExpectGlyph(35, 300, 8, FontGlyph(0x88), kBlue, "lone lead byte as a character");
    ExpectGlyph(632, 350, 8, KanjiGlyph(0x3441), kBlue, "left half at the edge");
    // Nothing beside the runs, nothing wrapped into the next line.
    for (auto [x, y] : {std::pair{2, 300}, {43, 300}, {0, 351}, {7, 351}})
        EXPECT_EQ(Px(x, y), kRed) << x << "," << y;
}

TEST_F(DisplayTest, KeysWaitInTheDisplayFirmware) {
    Load(0x2400, g_guest_keys, sizeof g_guest_keys);
    Type("G 2400\n");
    ASSERT_TRUE(RunUntil([&] { return main.m_io[0x002] == 0; }));
    sub.PushKey('x');
    sub.PushKey(0x121); // Shift+F1
    ASSERT_TRUE(RunUntilPrompt()) << Screen();
    for (const Bytes& key : {Bytes{1, 0, 'x'}, Bytes{1, 0x01, 0x21}, Bytes{0, 0, 0}}) {
        ASSERT_NO_FATAL_FAILURE(Commands({{kKey}}));
        EXPECT_EQ(Result(0, 3), key);
    }
}

TEST_F(DisplayTest, CancelAbandonsALongCommand) {
    const uint8_t before = main.m_io[0xCFC];
    // Returns once the cancel is taken.
    ASSERT_NO_FATAL_FAILURE(Call(0x2600, g_guest_cancel, sizeof g_guest_cancel));
    EXPECT_EQ(main.m_io[0xCFC], uint8_t(before + 1));
    ASSERT_NO_FATAL_FAILURE(Commands({Shape(kPSet, {5, 6}, 7)})); // the firmware serves on
    EXPECT_EQ(Px(5, 6), kWhite);
    EXPECT_EQ(Px(200, 200), kBlack); // the line never reached the screen
    EXPECT_EQ(Px(399, 399), kBlack);
}

// Whatever a program sends, the display firmware answers the next command.
TEST_F(DisplayTest, SurvivesRandomCommands) {
    std::mt19937 random(10);
    for (int round = 0; round < 12; ++round) {
        std::vector<Bytes> blocks;
        for (size_t size = 0; size < 0xD0; size += blocks.back().size() + 1) {
            Bytes b(1 + random() % 24);
            std::generate(b.begin(), b.end(), [&] { return uint8_t(random()); });
            b[0] = b[0] % 0x20 == kGCls ? kPSet : b[0] % 0x20; // keep the run short
            blocks.push_back(b);
        }
        ASSERT_NO_FATAL_FAILURE(Commands(blocks));
        ASSERT_TRUE(AtPrompt()) << round << "\n" << Screen();
    }
    ASSERT_NO_FATAL_FAILURE(Commands({{kWidth, 80}, Put("Ok"), {kRead, 1, 0}}));
    EXPECT_EQ(Result(2, 2), (Bytes{'k', 0x07}));
}

TEST_F(DisplayTest, TicksCount) {
    Run(20 * kPairsPerTick); // the display board measures its speed over two seconds
    const int before = main.m_io[0xCFE] << 8 | main.m_io[0xCFF];
    Run(20 * kPairsPerTick);
    const int ticks = (main.m_io[0xCFE] << 8 | main.m_io[0xCFF]) - before;
    EXPECT_TRUE(ticks >= 80 && ticks <= 120) << ticks; // 20 ms each, give or take
}

} // namespace
