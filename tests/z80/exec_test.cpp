// Access sequences, control flow, the F byte, HALT and the trace hook on a flat RAM.
#include <gtest/gtest.h>

#include "flat_z80.h"

namespace {

using Log = std::vector<Access>;

class ExecTest : public testing::Test {
protected:
    std::unique_ptr<FlatZ80> m_z = std::make_unique<FlatZ80>();
    REGZ80& R() { return m_z->m_reg; }
};

struct SeqCase {
    const char* name;
    std::vector<uint8_t> code; // at $1000; HL = $2000, DE = $3000, SP = $8000, IX = $4000
    Log expected;
};

void PrintTo(const SeqCase& c, std::ostream* os) {
    *os << c.name;
}

class SequenceTest : public testing::TestWithParam<SeqCase> {};

TEST_P(SequenceTest, AccessOrder) {
    const SeqCase& c = GetParam();
    auto z = std::make_unique<FlatZ80>();
    for (size_t i = 0; i < c.code.size(); ++i)
        z->m_ram[0x1000 + i] = c.code[i];
    z->m_ram[0x1234] = 0x34;
    z->m_ram[0x1235] = 0x12;
    z->m_ram[0x2000] = 0x81;
    z->m_ram[0x4002] = 0x7F;
    z->m_ram[0x3FFE] = 0x55;
    z->m_ram[0x7FFE] = 0xCD;
    z->m_ram[0x7FFF] = 0xAB;
    z->m_ram[0x8000] = 0x11;
    z->m_ram[0x8001] = 0x22;
    z->m_reg.HL = 0x2000;
    z->m_reg.DE = 0x3000;
    z->m_reg.BC = 0x0001;
    z->m_reg.SP = 0x8000;
    z->m_reg.IX = 0x4000;
    z->m_reg.PC = 0x1000;
    z->Execute();
    EXPECT_EQ(z->m_log, c.expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Exec, SequenceTest, testing::Values(
    SeqCase{"FetchWordHighFirst", {0x01, 0x34, 0x12},
            {{'R', 0x1000, 0x01}, {'R', 0x1002, 0x12}, {'R', 0x1001, 0x34}}},
    SeqCase{"LdHlInd", {0x2A, 0x34, 0x12},
            {{'R', 0x1000, 0x2A}, {'R', 0x1002, 0x12}, {'R', 0x1001, 0x34},
             {'R', 0x1235, 0x12}, {'R', 0x1234, 0x34}}},
    SeqCase{"LdIndHlLowFirst", {0x22, 0x34, 0x12},
            {{'R', 0x1000, 0x22}, {'R', 0x1002, 0x12}, {'R', 0x1001, 0x34},
             {'W', 0x1234, 0x00}, {'W', 0x1235, 0x20}}},
    SeqCase{"LdIndA", {0x32, 0x34, 0x12},
            {{'R', 0x1000, 0x32}, {'R', 0x1002, 0x12}, {'R', 0x1001, 0x34}, {'W', 0x1234, 0x00}}},
    SeqCase{"PushLowFirst", {0xD5},
            {{'R', 0x1000, 0xD5}, {'W', 0x7FFE, 0x00}, {'W', 0x7FFF, 0x30}}},
    SeqCase{"PopHighFirst", {0xC1},
            {{'R', 0x1000, 0xC1}, {'R', 0x8001, 0x22}, {'R', 0x8000, 0x11}}},
    SeqCase{"Call", {0xCD, 0x34, 0x12},
            {{'R', 0x1000, 0xCD}, {'R', 0x1002, 0x12}, {'R', 0x1001, 0x34},
             {'W', 0x7FFE, 0x03}, {'W', 0x7FFF, 0x10}}},
    SeqCase{"CallNotTakenFetchesWord", {0xCC, 0x34, 0x12},
            {{'R', 0x1000, 0xCC}, {'R', 0x1002, 0x12}, {'R', 0x1001, 0x34}}},
    SeqCase{"RetNotTakenNoAccess", {0xC8}, {{'R', 0x1000, 0xC8}}},
    SeqCase{"Rst", {0xEF}, {{'R', 0x1000, 0xEF}, {'W', 0x7FFE, 0x01}, {'W', 0x7FFF, 0x10}}},
    SeqCase{"ExSpHl", {0xE3},
            {{'R', 0x1000, 0xE3}, {'R', 0x8001, 0x22}, {'R', 0x8000, 0x11},
             {'W', 0x8000, 0x00}, {'W', 0x8001, 0x20}}},
    SeqCase{"IncInd", {0x34}, {{'R', 0x1000, 0x34}, {'R', 0x2000, 0x81}, {'W', 0x2000, 0x82}}},
    SeqCase{"LdIndN", {0x36, 0x99}, {{'R', 0x1000, 0x36}, {'R', 0x1001, 0x99}, {'W', 0x2000, 0x99}}},
    SeqCase{"BitReadsOnce", {0xCB, 0x7E},
            {{'R', 0x1000, 0xCB}, {'R', 0x1001, 0x7E}, {'R', 0x2000, 0x81}}},
    SeqCase{"SetWritesBack", {0xCB, 0xC6},
            {{'R', 0x1000, 0xCB}, {'R', 0x1001, 0xC6}, {'R', 0x2000, 0x81}, {'W', 0x2000, 0x81}}},
    SeqCase{"EmptyRowWritesSameByte", {0xCB, 0x36},
            {{'R', 0x1000, 0xCB}, {'R', 0x1001, 0x36}, {'R', 0x2000, 0x81}, {'W', 0x2000, 0x81}}},
    SeqCase{"IndexedIncInd", {0xDD, 0x34, 0x02},
            {{'R', 0x1000, 0xDD}, {'R', 0x1001, 0x34}, {'R', 0x1002, 0x02},
             {'R', 0x4002, 0x7F}, {'W', 0x4002, 0x80}}},
    SeqCase{"IndexedLdIndN", {0xDD, 0x36, 0xFE, 0x41},
            {{'R', 0x1000, 0xDD}, {'R', 0x1001, 0x36}, {'R', 0x1002, 0xFE},
             {'R', 0x1003, 0x41}, {'W', 0x3FFE, 0x41}}},
    SeqCase{"IndexedRlc", {0xDD, 0xCB, 0x02, 0x06},
            {{'R', 0x1000, 0xDD}, {'R', 0x1001, 0xCB}, {'R', 0x1002, 0x02},
             {'R', 0x1003, 0x06}, {'R', 0x4002, 0x7F}, {'W', 0x4002, 0xFE}}},
    SeqCase{"IndexedBitNoWrite", {0xDD, 0xCB, 0xFE, 0x46},
            {{'R', 0x1000, 0xDD}, {'R', 0x1001, 0xCB}, {'R', 0x1002, 0xFE},
             {'R', 0x1003, 0x46}, {'R', 0x3FFE, 0x55}}},
    SeqCase{"IndexedCbRegisterNoMemory", {0xDD, 0xCB, 0x05, 0x00},
            {{'R', 0x1000, 0xDD}, {'R', 0x1001, 0xCB}, {'R', 0x1002, 0x05}, {'R', 0x1003, 0x00}}},
    SeqCase{"IndexedExSp", {0xFD, 0xE3},
            {{'R', 0x1000, 0xFD}, {'R', 0x1001, 0xE3}, {'R', 0x8001, 0x22}, {'R', 0x8000, 0x11},
             {'W', 0x8000, 0x00}, {'W', 0x8001, 0x00}}},
    SeqCase{"Ldi", {0xED, 0xA0},
            {{'R', 0x1000, 0xED}, {'R', 0x1001, 0xA0}, {'R', 0x2000, 0x81}, {'W', 0x3000, 0x81}}},
    SeqCase{"Cpi", {0xED, 0xA1}, {{'R', 0x1000, 0xED}, {'R', 0x1001, 0xA1}, {'R', 0x2000, 0x81}}},
    SeqCase{"Ini", {0xED, 0xA2}, {{'R', 0x1000, 0xED}, {'R', 0x1001, 0xA2}, {'W', 0x2000, 0x00}}},
    SeqCase{"Rld", {0xED, 0x6F},
            {{'R', 0x1000, 0xED}, {'R', 0x1001, 0x6F}, {'R', 0x2000, 0x81}, {'W', 0x2000, 0x10}}},
    SeqCase{"LdNnSp", {0xED, 0x73, 0x34, 0x12},
            {{'R', 0x1000, 0xED}, {'R', 0x1001, 0x73}, {'R', 0x1003, 0x12}, {'R', 0x1002, 0x34},
             {'W', 0x1234, 0x00}, {'W', 0x1235, 0x80}}},
    SeqCase{"Retn", {0xED, 0x45},
            {{'R', 0x1000, 0xED}, {'R', 0x1001, 0x45}, {'R', 0x8001, 0x22}, {'R', 0x8000, 0x11}}},
    SeqCase{"EdUndefinedTwoBytes", {0xED, 0x70}, {{'R', 0x1000, 0xED}, {'R', 0x1001, 0x70}}},
    SeqCase{"DdUndefinedTwoBytes", {0xDD, 0x3E, 0x05}, {{'R', 0x1000, 0xDD}, {'R', 0x1001, 0x3E}}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(ExecTest, ImmediateWordWrapsAtTop) {
    m_z->m_ram[0xFFFF] = 0x34;
    m_z->m_ram[0x0000] = 0x12;
    m_z->Run(0xFFFE, {0x01});
    EXPECT_EQ(R().BC, 0x1234);
    EXPECT_EQ(R().PC, 0x0001);
    Log expect{{'R', 0xFFFE, 0x01}, {'R', 0x0000, 0x12}, {'R', 0xFFFF, 0x34}};
    EXPECT_EQ(m_z->m_log, expect);
}

TEST_F(ExecTest, PushAtSpZeroWrapsToTop) {
    R().SP = 0;
    R().BC = 0xBEEF;
    m_z->Run(0x1000, {0xC5});
    EXPECT_EQ(R().SP, 0xFFFE);
    Log expect{{'R', 0x1000, 0xC5}, {'W', 0xFFFE, 0xEF}, {'W', 0xFFFF, 0xBE}};
    EXPECT_EQ(m_z->m_log, expect);
}

TEST_F(ExecTest, JumpsAndLoops) {
    // JR -2 jumps to itself; JR NZ not taken falls through after fetching e.
    m_z->Run(0x0100, {0x18, 0xFE});
    EXPECT_EQ(R().PC, 0x0100);
    R().fZ = 1;
    m_z->Run(0x0200, {0x20, 0x10});
    EXPECT_EQ(R().PC, 0x0202);
    EXPECT_EQ(m_z->m_log.size(), 2u);
    // DJNZ loops until B reaches 0.
    R().BC = 0x0300;
    m_z->Run(0x0300, {0x10, 0xFE}, 3);
    EXPECT_EQ(R().BC, 0x0000);
    EXPECT_EQ(R().PC, 0x0302);
    // JP cc: condition P (S clear) taken, M not.
    R().fS = 0;
    m_z->Run(0x0400, {0xF2, 0x00, 0x50});
    EXPECT_EQ(R().PC, 0x5000);
    m_z->Run(0x0400, {0xFA, 0x00, 0x60});
    EXPECT_EQ(R().PC, 0x0403);
    // CALL then RET returns behind the CALL.
    R().SP = 0x9000;
    m_z->Load(0x6000, {0xC9});
    m_z->Run(0x0500, {0xCD, 0x00, 0x60}, 2);
    EXPECT_EQ(R().PC, 0x0503);
    EXPECT_EQ(R().SP, 0x9000);
    // JP (IY), LD SP,IX, RST 38.
    R().IY = 0x7777;
    m_z->Run(0x0600, {0xFD, 0xE9});
    EXPECT_EQ(R().PC, 0x7777);
    R().IX = 0x1234;
    m_z->Run(0x0600, {0xDD, 0xF9, 0xFF}, 2);
    EXPECT_EQ(R().SP, 0x1232);
    EXPECT_EQ(R().PC, 0x0038);
}

TEST_F(ExecTest, FlagByteAssembledOnlyByPushAndExchange) {
    // POP AF keeps the popped byte, bits 5 and 3 included, and loads the flag bytes.
    R().SP = 0x8000;
    m_z->Load(0x8000, {0xFF, 0x12});
    m_z->Run(0x1000, {0xF1});
    EXPECT_EQ(R().AF, 0x12FF);
    EXPECT_EQ(FlagText(R()), "SZHPNC");
    // A flag change does not show in AF until PUSH AF assembles F (bits 5, 3 clear).
    m_z->Run(0x1000, {0xAF}); // XOR A
    EXPECT_EQ(R().AF, 0x00FF);
    m_z->Run(0x1000, {0xF5, 0xC1}, 2); // PUSH AF; POP BC
    EXPECT_EQ(R().BC, 0x0044);
    EXPECT_EQ(R().AF, 0x0044);
    // EX AF,AF' assembles F, swaps, and loads the flags from the byte it got verbatim.
    R().AF2 = 0x7729;
    R().fC = 1;
    m_z->Run(0x1000, {0x08});
    EXPECT_EQ(R().AF, 0x7729);
    EXPECT_EQ(R().AF2, 0x0045);
    EXPECT_EQ(FlagText(R()), "C");
    m_z->Run(0x1000, {0x08});
    EXPECT_EQ(R().AF, 0x0045);
    EXPECT_EQ(R().AF2, 0x7701); // bits 5 and 3 of the old byte are gone
    EXPECT_EQ(FlagText(R()), "ZPC");
}

TEST_F(ExecTest, ExchangesAndLoads) {
    R().BC = 1, R().DE = 2, R().HL = 3;
    R().BC2 = 4, R().DE2 = 5, R().HL2 = 6;
    m_z->Run(0x1000, {0xD9, 0xEB}, 2); // EXX; EX DE,HL
    EXPECT_EQ(R().BC, 4);
    EXPECT_EQ(R().DE, 6);
    EXPECT_EQ(R().HL, 5);
    EXPECT_EQ(R().BC2, 1);
    // $DD $66 d and $DD $6E d load the real H and L; $DD $74 d stores the real H.
    R().IX = 0x2000;
    m_z->Load(0x2003, {0xAB, 0xCD});
    m_z->Run(0x1000, {0xDD, 0x66, 0x03, 0xDD, 0x6E, 0x04, 0xDD, 0x74, 0x05}, 3);
    EXPECT_EQ(R().HL, 0xABCD);
    EXPECT_EQ(R().IX, 0x2000);
    EXPECT_EQ(m_z->m_ram[0x2005], 0xAB);
    // 8-bit register moves through every code.
    R().SetA(0x5A);
    m_z->Run(0x1000, {0x47, 0x48, 0x51, 0x5A, 0x63, 0x6C}, 6); // LD B,A C,B D,C E,D H,E L,H
    EXPECT_EQ(R().BC, 0x5A5A);
    EXPECT_EQ(R().DE, 0x5A5A);
    EXPECT_EQ(R().HL, 0x5A5A);
}

TEST_F(ExecTest, RegisterIAndRDoNotCount) {
    R().SetA(0x42);
    m_z->Run(0x1000, {0xED, 0x4F, 0x3E, 0x00, 0x00, 0x00, 0xED, 0x47, 0xED, 0x5F}, 6);
    EXPECT_EQ(R().A(), 0x42);
    EXPECT_EQ(R().RI, 0x4200);
    R().fZ = 1;
    m_z->Run(0x1000, {0xED, 0x57});
    EXPECT_EQ(R().A(), 0x00);
    EXPECT_EQ(R().fZ, 1);
}

TEST_F(ExecTest, InterruptFlipFlops) {
    m_z->Run(0x1000, {0xFB});
    EXPECT_EQ(R().IFF1 + R().IFF2, 2);
    m_z->Run(0x1000, {0xF3});
    EXPECT_EQ(R().IFF1 + R().IFF2, 0);
    R().IFF2 = 1;
    R().SP = 0x8000;
    m_z->Run(0x1000, {0xED, 0x45});
    EXPECT_EQ(R().IFF1, 1);
    R().IFF1 = 0;
    R().SP = 0x8000;
    m_z->Run(0x1000, {0xED, 0x4D, 0xED, 0x46, 0xED, 0x5E}); // RETI leaves IFF1
    EXPECT_EQ(R().IFF1, 0);
}

TEST_F(ExecTest, HaltExecutesAgain) {
    m_z->Run(0x1000, {0x76}, 3);
    EXPECT_EQ(R().PC, 0x1000);
    EXPECT_EQ(m_z->m_log.size(), 3u);
}

TEST_F(ExecTest, PortsReadZeroAndTakeEightBitPorts) {
    R().BC = 0x12FE;
    R().SetA(0x99);
    R().fC = 1;
    m_z->Run(0x1000, {0xED, 0x40, 0xED, 0x79, 0xD3, 0x55}, 3); // IN B,(C); OUT (C),A; OUT (n),A
    EXPECT_EQ(R().BC, 0x00FE);
    EXPECT_EQ(FlagText(R()), "ZPC");
    EXPECT_EQ(m_z->m_ins, std::vector<uint8_t>{0xFE});
    EXPECT_EQ(m_z->m_outs, (std::vector<uint16_t>{0xFE99, 0x5599}));
}

// Undefined sequences: registers and flags unchanged, only the listed bytes consumed.
TEST_F(ExecTest, UndefinedSequencesDoNothing) {
    struct Case {
        std::vector<uint8_t> code;
        uint16_t length;
    };
    const Case cases[] = {{{0xED, 0x46}, 2}, {{0xED, 0x70}, 2}, {{0xED, 0xFF}, 2},
                          {{0xED, 0x00}, 2}, {{0xED, 0x4C}, 2}, {{0xED, 0x77}, 2},
                          {{0xDD, 0xDD}, 2}, {{0xFD, 0xED}, 2}, {{0xDD, 0x44}, 2},
                          {{0xDD, 0x76}, 2}, {{0xFD, 0x26}, 2}};
    for (const Case& c : cases) {
        auto z = std::make_unique<FlatZ80>();
        REGZ80& r = z->m_reg;
        r.AF = 0x1234, r.BC = 0x5678, r.DE = 0x9ABC, r.HL = 0x2000, r.IX = 0x3000;
        r.IY = 0x4000, r.SP = 0x8000;
        SetFlags(r, "SHC");
        REGZ80 before = r;
        for (size_t i = 0; i < c.code.size(); ++i)
            z->m_ram[0x1000 + i] = c.code[i];
        r.PC = before.PC = 0x1000;
        z->Execute();
        before.PC = uint16_t(0x1000 + c.length);
        EXPECT_TRUE(SameRegs(before, r)) << std::hex << int(c.code[1]);
        EXPECT_EQ(z->m_log.size(), c.length);
    }
}

TEST_F(ExecTest, DdWithUndefinedByteLeavesNextByteAsInstruction) {
    R().BC = 0x0500;
    m_z->Run(0x1000, {0xDD, 0x3E, 0x05}, 2);
    EXPECT_EQ(R().PC, 0x1003);
    EXPECT_EQ(R().BC, 0x0400); // the $05 ran as DEC B
    EXPECT_EQ(R().A(), 0);
}

TEST_F(ExecTest, IndexedCbWithRegisterCodeLeavesMemory) {
    R().IX = 0x2000;
    R().BC = 0x8100;
    m_z->m_ram[0x2005] = 0x01;
    m_z->Run(0x1000, {0xDD, 0xCB, 0x05, 0x00});
    EXPECT_EQ(R().BC, 0x0300);
    EXPECT_EQ(m_z->m_ram[0x2005], 0x01);
    EXPECT_EQ(R().PC, 0x1004);
    // SET 0,(IY-1) and RES 7,(IY-1) on memory.
    R().IY = 0x3001;
    m_z->m_ram[0x3000] = 0x80;
    m_z->Run(0x1000, {0xFD, 0xCB, 0xFF, 0xC6, 0xFD, 0xCB, 0xFF, 0xBE}, 2);
    EXPECT_EQ(m_z->m_ram[0x3000], 0x01);
}

class TracePage : public CTracePageZ80 {
public:
    void Update(const REGZ80* reg, const char* line) override {
        m_lines.push_back(line);
        m_pc.push_back(reg->PC);
    }
    void UpdateSignals(const REGZ80*) override {}
    std::vector<std::string> m_lines;
    std::vector<uint16_t> m_pc;
};

TEST_F(ExecTest, TraceReadsSixBytesAndFormatsLine) {
    TracePage page;
    m_z->m_pStat = &page;
    m_z->Run(0x0000, {0x00, 0x31, 0x00, 0x80});
    ASSERT_EQ(page.m_lines.size(), 1u);
    EXPECT_EQ(page.m_lines[0], "0001 LD   SP,8000");
    EXPECT_EQ(page.m_pc[0], 0x0001);
    Log expect{{'R', 0, 0x00}, {'R', 1, 0x31}, {'R', 2, 0x00}, {'R', 3, 0x80},
               {'R', 4, 0x00}, {'R', 5, 0x00}, {'R', 6, 0x00}};
    EXPECT_EQ(m_z->m_log, expect); // NOP: one fetch plus six trace reads
    m_z->m_pStat = nullptr;
    m_z->Run(0x0000, {0x00});
    EXPECT_EQ(m_z->m_log.size(), 1u);
    EXPECT_EQ(page.m_lines.size(), 1u);
}

TEST_F(ExecTest, TraceOfHaltRepeatsLineAndWrapsAtTop) {
    TracePage page;
    m_z->m_pStat = &page;
    m_z->Run(0xFFFD, {0x76}, 2);
    EXPECT_EQ(page.m_lines, (std::vector<std::string>{"FFFD HALT", "FFFD HALT"}));
    EXPECT_EQ(m_z->m_log[6].addr, 0x0002); // trace reads wrap past $FFFF
}

} // namespace

namespace {

// Any byte stream executes and disassembles without leaving the core's tables.
TEST(ExecRobustness, RandomProgramsRunAndDisassemble) {
    auto z = std::make_unique<FlatZ80>();
    z->m_bLog = false;
    uint32_t seed = 12345;
    for (auto& b : z->m_ram) {
        seed = seed * 1103515245 + 12345;
        b = uint8_t(seed >> 16);
    }
    for (int i = 0; i < 200000; ++i) {
        z->Execute();
        if (z->m_ram[z->m_reg.PC] == 0x76) // step over HALT
            z->m_reg.PC++;
    }
    char text[CSimZ80::kDisasmSize];
    uint8_t bytes[6];
    for (int addr = 0; addr < 0x10000; ++addr) {
        for (int i = 0; i < 6; ++i)
            bytes[i] = z->m_ram[(addr + i) & 0xFFFF];
        CSimZ80::Disasm(text, bytes, uint16_t(addr));
        ASSERT_LT(std::strlen(text), size_t(CSimZ80::kDisasmSize));
    }
}

} // namespace
