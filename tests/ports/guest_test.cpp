// Guest programs (guest/*.asm, assembled at build time) driving the ports on a whole main
// board: steps in batches with a 100 ms tick between them, as the idle loop and the view's
// timer run them, and the view's answers to the posted commands in between.
#include <cstring>
#include <functional>

#include "platform/file.h"
#include "port_fixture.h"
#include "tests/platform/temp_dir.h"

extern const uint8_t g_terminalGuest[512];
extern const uint8_t g_filesGuest[512];

namespace {

class Guest : public PortTest {
protected:
    void Load(const uint8_t* program) {
        std::memcpy(m_board->m_ram + kStart, program, 512);
        m_board->Reset();
    }
    // Runs batches of 2000 steps until `done` holds; false after `batches` batches.
    bool RunUntil(const std::function<bool()>& done, int batches = 50) {
        for (int i = 0; i < batches; ++i) {
            for (int s = 0; s < 2000; ++s)
                m_board->Step();
            ServeView();
            m_board->m_bTick = 1;
            if (done()) return true;
        }
        return false;
    }
    uint8_t Ram(int addr) const { return m_board->m_ram[addr]; }
    void PutName(int addr, const std::string& name) {
        std::memcpy(m_board->m_ram + addr, name.c_str(), name.size() + 1);
    }
};

TEST_F(Guest, TalksToATerminalThroughSerialPort0) {
    Load(g_terminalGuest);
    ASSERT_TRUE(RunUntil([&] { return Term(0) && Line(Term(0), 0) != ""; }));
    EXPECT_EQ(Line(Term(0), 0), "HELLO FROM PORT 0");
    // Idle in CWAI: nothing arrives until keys are typed.
    ASSERT_FALSE(RunUntil([&] { return Ram(0x0102) != 0; }, 3));
    EXPECT_EQ(m_board->m_reg.signals, SIG_HALT);

    for (uint8_t key : {'a', 'b', 'c', '\r'})
        Term(0)->PutKey(key);
    ASSERT_TRUE(RunUntil([&] { return Ram(0x0103) != 0; }));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m_board->m_ram + 0x0200)), "abc");
    EXPECT_EQ(Line(Term(0), 1), "YOU TYPED: abc");
    EXPECT_EQ(Term(0)->m_nRow, 2);
    EXPECT_EQ(Term(0)->m_nInCount, 0);
    EXPECT_TRUE(m_view.m_posted.empty());
}

TEST_F(Guest, PrintsAndCopiesAHostFile) {
    TempDir dir;
    std::ofstream(dir / "in", std::ios::binary) << std::string("line one\n\0\xFFtwo\n", 15);
    m_board->m_pPrn[0] = new CFile(dir / "prn", CFile::modeCreateWrite);
    PutName(0x0400, dir / "in");
    PutName(0x0500, dir / "out");
    Load(g_filesGuest);
    ASSERT_TRUE(RunUntil([&] { return Ram(0x0100) != 0; }));
    EXPECT_EQ(Ram(0x0100), 1);
    EXPECT_EQ(Slurp(dir / "prn"), "PRINTED BY THE GUEST\r\n");
    EXPECT_EQ(Slurp(dir / "out"), Slurp(dir / "in"));
    EXPECT_EQ(m_board->m_pFile, nullptr);

    PutName(0x0400, dir / "missing");
    Load(g_filesGuest);
    ASSERT_TRUE(RunUntil([&] { return Ram(0x0100) != 0; }));
    EXPECT_EQ(Ram(0x0100), 0xFF);
}

} // namespace
