// The whole machine as the view links it: a main board and a display board running the
// built-in firmware in step pairs, with a 100 ms tick every kPairsPerTick pairs and a fixed
// host clock. Helpers read the text screen, type keys and run until the monitor waits.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "display/sub_cpu.h"
#include "mainboard/main_cpu.h"
#include "rom/roms.h"
#include "tests/display/board.h"     // HostClock
#include "tests/platform/temp_dir.h" // Bytes, scratch folders, whole files

// Guest programs (tests/guest), assembled for their load addresses.
extern const uint8_t g_guest_bootrec[512]; // $1000
extern const uint8_t g_guest_dcmd[128];    // $2200
extern const uint8_t g_guest_keys[128];    // $2400
extern const uint8_t g_guest_cancel[128];  // $2600

class MachineTest : public ::testing::Test {
protected:
    static constexpr int kPairsPerTick = 20000;
    static constexpr int kDefaultDip = 0x9F; // 8-inch and mini enabled, drive 0

    // Powers on and waits for the monitor.
    void StartMonitor(int dip = kDefaultDip) {
        main.m_pView = sub.m_pWnd = &wnd;
        main.m_pSub = &sub;
        sub.m_pMainIo = main.m_io;
        sub.m_pPal = main.m_pal;
        main.m_nDipSw = dip;
        main.Reset();
        sub.Reset();
        ASSERT_TRUE(RunUntilPrompt()) << Screen();
    }

    void Run(long pairs) {
        for (long i = 0; i < pairs; ++i) {
            if (++m_pairs % kPairsPerTick == 0) {
                m_clock.now += 100;
                main.m_bTick = 1;
                sub.m_bTick = 1;
            }
            main.Step();
            sub.Step();
        }
    }
    // Runs until the condition holds (checked every 1000 pairs) or the budget is spent.
    bool RunUntil(const std::function<bool()>& done, long budget = 3'000'000) {
        for (long spent = 0; spent < budget; spent += 1000) {
            if (done()) return true;
            Run(1000);
        }
        return done();
    }
    // The monitor waits at an empty prompt with every key taken and all output shown.
    bool AtPrompt() const {
        return sub.m_nKeyRead == sub.m_nKeyWrite && Peek(Sym("KRD")) == Peek(Sym("KWR")) &&
               Peek(Sym("LLEN")) == 0 && Peek(Sym("OLEN")) == 0 && !(main.m_io[0xD05] & 0x80) &&
               (Row(CursorRow()) + " ").compare(0, 2, "> ") == 0 && CursorColumn() == 2;
    }
    bool RunUntilPrompt(long budget = 3'000'000) {
        return RunUntil([&] { return AtPrompt(); }, budget);
    }

    void Type(const std::string& keys) {
        for (char c : keys)
            sub.PushKey(c == '\n' ? 0x0D : uint8_t(c));
    }
    // Types a monitor command and waits for the next prompt.
    bool Command(const std::string& line, long budget = 3'000'000) {
        return Type(line + "\n"), RunUntilPrompt(budget);
    }
    // The line above the prompt: the last command's answer.
    std::string Answer() const { return Row(CursorRow() - 1); }

    // A symbol of the boot ROM (its assembler's symbol file).
    static int Sym(const std::string& name) {
        static const std::map<std::string, int> symbols = [] {
            std::map<std::string, int> m;
            std::ifstream in(ORLO_BOOT_SYMBOLS);
            std::string n, equ, v;
            while (in >> n >> equ >> v)
                m[n] = std::stoi(v.substr(1), nullptr, 16);
            return m;
        }();
        auto it = symbols.find(name);
        if (it == symbols.end()) ADD_FAILURE() << "no boot ROM symbol " << name;
        return it == symbols.end() ? 0 : it->second;
    }
    // Main processor memory with the MMU off, without side effects.
    uint8_t Peek(int addr) const {
        return addr >= 0xFC00 ? main.m_io[addr & 0xFFF] : main.m_ram[addr];
    }
    void Load(int addr, const uint8_t* bytes, size_t n) {
        std::copy_n(bytes, n, main.m_ram + addr);
    }

    // Screen row r as text, trailing blanks removed.
    std::string Row(int r) const {
        std::string s;
        for (int c = 0; c < sub.m_nColumns; ++c) {
            char ch = char(sub.m_mem[(sub.m_nTextStart + r * sub.m_nColumns + c) % 2048 * 2]);
            s += ch == 0 ? ' ' : ch;
        }
        return s.erase(s.find_last_not_of(' ') + 1);
    }
    std::string Screen() const {
        std::string s;
        for (int r = 0; r < 25; ++r)
            s += Row(r) + "\n";
        return s;
    }
    bool ScreenHas(const std::string& text) const {
        return Screen().find(text) != std::string::npos;
    }
    uint32_t Px(int x, int y) const { return sub.m_dcOut.GetPixel(x, y); }
    static constexpr uint32_t kWhite = 0xFFFFFF;
    // Glyph ch of the font ROM, lit at dot (b, r).
    static std::function<bool(int, int)> FontGlyph(int ch) {
        return [ch](int b, int r) { return bool(g_fontRom[ch * 16 + r] & (1 << b)); };
    }
    // Compares a 16-row glyph of the given width with the surface at (x, y).
    void ExpectGlyph(int x, int y, int width, const std::function<bool(int, int)>& lit,
                     uint32_t off, const char* what, uint32_t on = kWhite) {
        int wrong = 0;
        for (int r = 0; r < 16; ++r)
            for (int b = 0; b < width; ++b)
                wrong += Px(x + b, y + r) != (lit(b, r) ? on : off);
        EXPECT_EQ(wrong, 0) << what;
    }
    // The firmware keeps the cursor in the status area of the shared block.
    int CursorColumn() const { return main.m_io[0xCFA]; }
    int CursorRow() const { return main.m_io[0xCFB]; }

    HostClock m_clock{5000};
    long m_pairs = 0;
    FakeWnd wnd;
    std::unique_ptr<CMainCpu> m_main = std::make_unique<CMainCpu>();
    std::unique_ptr<CSubCpu> m_sub = std::make_unique<CSubCpu>();
    CMainCpu& main = *m_main;
    CSubCpu& sub = *m_sub;
};
