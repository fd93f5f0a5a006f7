// Per-step service: handshake and wait flag, hold and cancel from the main board,
// FIRQ causes, the NMI after the first handshake write, NMI calibration.
#include "board.h"

namespace {

class RecordingPage : public CTracePage09 {
public:
    void Update(const REG09*, const char*) override {}
    void UpdateSignals(const REG09* reg) override { signals.push_back(reg->signals); }
    std::vector<uint8_t> signals;
};

TEST_F(BoardTest, HandshakeWritesAndReads) {
    sub.WriteByte(0xAFE0, 0x00);
    EXPECT_EQ(io[0xD05] & 0x80, 0x80);
    EXPECT_EQ(sub.ReadByte(0xAFE0), 0x00); // busy: bit 0 clear, no wait
    EXPECT_EQ(io[0x105], 0);
    sub.WriteByte(0xAFE0, 0x21);
    EXPECT_EQ(io[0xD05] & 0x80, 0);
    EXPECT_EQ(io[0x105], 0x80);
    io[0x105] = 0;
    EXPECT_EQ(sub.ReadByte(0xAFE0), 0x21); // not busy: bit 0 set, and the wait flag
    EXPECT_EQ(io[0x105], 0x80);
}

TEST_F(BoardTest, FirstHandshakeWriteQueuesKeyAndStartsNmi) {
    EXPECT_EQ(sub.m_bNmiHold, 1);
    sub.WriteByte(0xAFE0, 0x00);
    sub.WriteByte(0xAFE0, 0x00);
    EXPECT_EQ(sub.m_bNmiHold, 0);
    ASSERT_EQ(sub.m_nKeyWrite, 1);
    EXPECT_EQ(sub.m_wKeyBuf[0], 0x0050);
}

TEST_F(BoardTest, WaitFlagHaltsUntilALineIsPresented) {
    sub.WriteByte(0xAFE0, 0x01);
    const uint16_t pc = sub.m_reg.PC;
    for (int i = 0; i < 3; ++i) {
        const uint32_t before = sub.m_nSpeedCount;
        sub.Step();
        EXPECT_EQ(sub.m_reg.signals, SIG_HALT);
        EXPECT_EQ(sub.m_reg.PC, pc);
        EXPECT_EQ(sub.m_nSpeedCount, before + 1); // one dummy read
    }
    struct Line {
        const char* name;
        void (*raise)(CSubCpu&, uint8_t*);
        uint8_t signal;
    } lines[] = {
        {"cancel", [](CSubCpu&, uint8_t* m) { m[0x005] = 0x40; }, SIG_IRQ},
        {"firq", [](CSubCpu& s, uint8_t*) { s.WriteByte(0xAFE4, 1); }, SIG_FIRQ},
        {"nmi", [](CSubCpu& s, uint8_t*) { s.m_nNmiCount = 60000; }, SIG_NMI},
    };
    for (const Line& l : lines) {
        SCOPED_TRACE(l.name);
        io[0x105] = 0x80;
        io[0x005] = 0;
        sub.WriteByte(0xAFE4, 0);
        l.raise(sub, io);
        sub.Step();
        EXPECT_EQ(sub.m_reg.signals, l.signal);
        EXPECT_EQ(io[0x105], 0);
    }
}

TEST_F(BoardTest, HoldStopsEverything) {
    io[0x005] = 0xC0; // hold and cancel
    sub.WriteByte(0xAFE4, 1);
    const uint16_t pc = sub.m_reg.PC;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals, SIG_HALT);
    EXPECT_EQ(sub.m_reg.PC, pc);
    io[0x005] = 0x40;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals, SIG_IRQ | SIG_FIRQ);
}

TEST_F(BoardTest, NmiOnlyAfterFirstHandshakeWriteAndByPeriod) {
    sub.m_nNmiCount = 100000;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals & SIG_NMI, 0);
    sub.WriteByte(0xAFE0, 0x00);
    EXPECT_EQ(sub.m_nNmiCount, 0u);
    sub.m_nNmiPeriod = 50;
    sub.m_nNmiCount = 49;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals & SIG_NMI, 0);
    sub.m_nNmiCount = 50;
    sub.Step();
    EXPECT_EQ(sub.m_reg.signals & SIG_NMI, SIG_NMI);
    EXPECT_LT(sub.m_nNmiCount, 50u);
}

TEST_F(BoardTest, CalibrationMeasuresAccessesPer20Ms) {
    RecordingPage page;
    struct Case {
        const char* name;
        uint32_t count;
        uint32_t elapsed;
        bool debugger;
        int period;
    } cases[] = {
        {"measured", 1500000, 300, false, 100000},
        {"debugger attached", 1500000, 300, true, 60000},
        {"no time elapsed", 1500000, 0, false, 60000},
        {"below threshold", 1000000, 300, false, 60000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetBoard();
        sub.m_pStat = c.debugger ? &page : nullptr;
        sub.m_nSpeedCount = c.count;
        now += c.elapsed;
        Tick();
        EXPECT_EQ(sub.m_nNmiPeriod, c.period);
        const bool calibrated = c.count > 1000000;
        EXPECT_EQ(sub.m_dwLastTick, calibrated ? now : now - c.elapsed);
    }
    sub.m_pStat = nullptr;
    ResetBoard();
    for (int i = 0; i < 19; ++i)
        Tick();
    EXPECT_EQ(sub.m_nTickMs, 1900);
    Tick(); // 2000 ms of ticks
    EXPECT_EQ(sub.m_nTickMs, 0);
}

TEST_F(BoardTest, DebuggerPageSeesSignalsEveryStep) {
    RecordingPage page;
    sub.m_pStat = &page;
    io[0x005] = 0x80;
    sub.Step();
    io[0x005] = 0x40;
    sub.Step();
    sub.m_pStat = nullptr;
    EXPECT_EQ(page.signals, (std::vector<uint8_t>{SIG_HALT, SIG_IRQ}));
}

} // namespace
