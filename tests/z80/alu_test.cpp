// Results and flags of the arithmetic, logic, rotate and adjust instructions.
#include <gtest/gtest.h>

#include "flat_z80.h"

namespace {

struct AluCase {
    const char* name;
    std::vector<uint8_t> code; // one instruction at $0000
    uint8_t a;
    const char* flagsIn;
    uint8_t aOut;
    const char* flagsOut;
};

void PrintTo(const AluCase& c, std::ostream* os) {
    *os << c.name;
}

class AluTest : public testing::TestWithParam<AluCase> {};

TEST_P(AluTest, ResultAndFlags) {
    const AluCase& c = GetParam();
    auto z = std::make_unique<FlatZ80>();
    for (size_t i = 0; i < c.code.size(); ++i)
        z->m_ram[i] = c.code[i];
    z->m_reg.SetA(c.a);
    z->m_reg.BC = 0x0102;
    SetFlags(z->m_reg, c.flagsIn);
    z->Execute();
    EXPECT_EQ(z->m_reg.A(), c.aOut);
    EXPECT_EQ(FlagText(z->m_reg), c.flagsOut);
    EXPECT_EQ(z->m_reg.PC, c.code.size());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Eight, AluTest, testing::Values(
    AluCase{"AddWrapsToZero",   {0xC6, 0x01}, 0xFF, "",    0x00, "ZHC"},
    AluCase{"AddOverflow",      {0xC6, 0x01}, 0x7F, "",    0x80, "SHP"},
    AluCase{"AddClearsN",       {0xC6, 0x10}, 0x10, "N",   0x20, ""},
    AluCase{"AdcHalfCarry",     {0xCE, 0x0F}, 0x00, "C",   0x10, "H"},
    AluCase{"AdcOverflowByC",   {0xCE, 0x7F}, 0x00, "C",   0x80, "SHP"},
    AluCase{"SubBorrow",        {0xD6, 0x01}, 0x00, "",    0xFF, "SHNC"},
    AluCase{"SubOverflow",      {0xD6, 0x80}, 0x00, "",    0x80, "SPNC"},
    AluCase{"SbcWithCarry",     {0xDE, 0x00}, 0x00, "C",   0xFF, "SHNC"},
    AluCase{"SbcOverflow",      {0xDE, 0x00}, 0x80, "C",   0x7F, "HPN"},
    AluCase{"CpKeepsA",         {0xFE, 0x01}, 0x00, "",    0x00, "SHNC"},
    AluCase{"CpEqual",          {0xFE, 0x42}, 0x42, "C",   0x42, "ZN"},
    AluCase{"SubRegisterC",     {0x91},       0x05, "",    0x03, "N"},
    AluCase{"AndSetsHClearsC",  {0xE6, 0x0F}, 0xF0, "C",   0x00, "ZHP"},
    AluCase{"AndOddParity",     {0xE6, 0x01}, 0xFF, "",    0x01, "H"},
    AluCase{"XorSelf",          {0xAF},       0x5A, "SNC", 0x00, "ZP"},
    AluCase{"OrClearsHNC",      {0xF6, 0x01}, 0x80, "HNC", 0x81, "SP"},
    AluCase{"IncToSign",        {0x3C},       0x7F, "C",   0x80, "SHPC"},
    AluCase{"IncWrap",          {0x3C},       0xFF, "N",   0x00, "ZH"},
    AluCase{"DecFromSign",      {0x3D},       0x80, "C",   0x7F, "HPNC"},
    AluCase{"DecToZero",        {0x3D},       0x01, "",    0x00, "ZN"},
    AluCase{"DaaAfterAdd",      {0x27},       0x3C, "",    0x42, "HP"},
    AluCase{"DaaBothSteps",     {0x27},       0x9A, "",    0x00, "ZHPC"},
    AluCase{"DaaIgnoresN",      {0x27},       0x0F, "HN",  0x15, "HN"},
    AluCase{"DaaStep2SeesStep1",{0x27},       0x9B, "",    0x01, "HC"},
    AluCase{"DaaStep1Wraps",    {0x27},       0xFA, "",    0x00, "ZHP"},
    AluCase{"DaaNoAdjust",      {0x27},       0x42, "SZP", 0x42, "P"},
    AluCase{"DaaCarryIn",       {0x27},       0x12, "C",   0x72, "PC"},
    AluCase{"NegSignedMin",     {0xED, 0x44}, 0x80, "",    0x80, "SPNC"},
    AluCase{"NegZero",          {0xED, 0x44}, 0x00, "C",   0x00, "ZN"},
    AluCase{"NegOne",           {0xED, 0x44}, 0x01, "",    0xFF, "SHNC"},
    AluCase{"Cpl",              {0x2F},       0x5A, "ZC",  0xA5, "ZHNC"},
    AluCase{"Scf",              {0x37},       0x00, "SHN", 0x00, "SC"},
    AluCase{"CcfKeepsH",        {0x3F},       0x00, "HNC", 0x00, "H"},
    AluCase{"Rlca",             {0x07},       0x81, "SZPHN",0x03,"SZPC"},
    AluCase{"Rrca",             {0x0F},       0x01, "",    0x80, "C"},
    AluCase{"RlaThroughCarry",  {0x17},       0x80, "C",   0x01, "C"},
    AluCase{"RraThroughCarry",  {0x1F},       0x01, "C",   0x80, "C"},
    AluCase{"LdAIKeepsFlags",   {0xED, 0x57}, 0x33, "SZ",  0x00, "SZ"},
    AluCase{"InAImmReadsZero",  {0xDB, 0x10}, 0x77, "C",   0x00, "C"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

struct Alu16Case {
    const char* name;
    std::vector<uint8_t> code;
    uint16_t hl, rr; // rr goes to BC and DE
    const char* flagsIn;
    uint16_t hlOut;
    const char* flagsOut;
};

void PrintTo(const Alu16Case& c, std::ostream* os) {
    *os << c.name;
}

class Alu16Test : public testing::TestWithParam<Alu16Case> {};

TEST_P(Alu16Test, ResultAndFlags) {
    const Alu16Case& c = GetParam();
    auto z = std::make_unique<FlatZ80>();
    for (size_t i = 0; i < c.code.size(); ++i)
        z->m_ram[i] = c.code[i];
    z->m_reg.HL = c.hl;
    z->m_reg.BC = z->m_reg.DE = c.rr;
    SetFlags(z->m_reg, c.flagsIn);
    z->Execute();
    EXPECT_EQ(z->m_reg.HL, c.hlOut);
    EXPECT_EQ(FlagText(z->m_reg), c.flagsOut);
}

// The ADC/SBC half carry is bit 4 of (old L ^ (low byte of rr + c) ^ new L), with
// the low byte plus carry taken as one value: $FF + 1 = $100 has bit 4 clear.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Sixteen, Alu16Test, testing::Values(
    Alu16Case{"AddHlHlCarryOnly",  {0x29},       0x8000, 0,      "SZHPN", 0x0000, "SZHPC"},
    Alu16Case{"AddHlBc",           {0x09},       0x0FFF, 0x0001, "C",     0x1000, ""},
    Alu16Case{"AdcPlain",          {0xED, 0x4A}, 0x1234, 0x1111, "",      0x2345, ""},
    Alu16Case{"AdcOverflow",       {0xED, 0x4A}, 0x7FFF, 0x0001, "",      0x8000, "SHP"},
    Alu16Case{"AdcCarryOut",       {0xED, 0x5A}, 0xFFFF, 0x0000, "C",     0x0000, "ZHC"},
    Alu16Case{"AdcLowByteAndC",    {0xED, 0x5A}, 0x000F, 0x00FF, "C",     0x010F, ""},
    Alu16Case{"SbcHlHlWithCarry",  {0xED, 0x62}, 0x1234, 0,      "C",     0xFFFF, "SHNC"},
    Alu16Case{"SbcOverflow",       {0xED, 0x42}, 0x8000, 0x0001, "",      0x7FFF, "HPN"},
    Alu16Case{"SbcLowByteAndC",    {0xED, 0x52}, 0x0200, 0x00FF, "C",     0x0100, "N"},
    Alu16Case{"SbcZero",           {0xED, 0x52}, 0x4000, 0x4000, "S",     0x0000, "ZN"},
    Alu16Case{"SbcHlSp",           {0xED, 0x72}, 0x0010, 0,      "",      0x0010, "N"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(Alu, AddIyIyDoublesIyOnly) {
    auto z = std::make_unique<FlatZ80>();
    z->m_reg.IX = 0x1111;
    z->m_reg.IY = 0x9000;
    z->Run(0, {0xFD, 0x29});
    EXPECT_EQ(z->m_reg.IY, 0x2000);
    EXPECT_EQ(z->m_reg.IX, 0x1111);
    EXPECT_EQ(z->m_reg.fC, 1);
}

TEST(Alu, DaaAfterSubtractionAddsLikeAddition) {
    auto z = std::make_unique<FlatZ80>();
    z->Run(0, {0x3E, 0x10, 0xD6, 0x01, 0x27}, 3); // LD A,$10; SUB 1; DAA
    EXPECT_EQ(z->m_reg.A(), 0x15);
}

TEST(Alu, CbShiftsAndBits) {
    struct Case {
        uint8_t op, in;
        const char* flagsIn;
        uint8_t out;
        const char* flagsOut;
    };
    // Operand in B.
    const Case cases[] = {
        {0x00, 0x80, "", 0x01, "C"},            // RLC
        {0x08, 0x01, "", 0x80, "SC"},           // RRC
        {0x10, 0x80, "", 0x00, "ZPC"},          // RL
        {0x18, 0x00, "C", 0x80, "S"},           // RR
        {0x20, 0xC0, "HN", 0x80, "SC"},         // SLA
        {0x28, 0x81, "", 0xC0, "SPC"},          // SRA keeps bit 7
        {0x30, 0x81, "SZHPNC", 0x81, "SZHPNC"}, // empty row
        {0x38, 0x81, "S", 0x40, "C"},           // SRL
        {0x78, 0x7F, "SPNC", 0x7F, "SZHPC"},    // BIT 7: Z set, H set, N clear
        {0x40, 0x01, "Z", 0x01, "H"},           // BIT 0
        {0x80, 0xFF, "", 0xFE, ""},             // RES 0
        {0xF8, 0x00, "Z", 0x80, "Z"},           // SET 7
    };
    for (const Case& c : cases) {
        auto z = std::make_unique<FlatZ80>();
        z->m_reg.BC = uint16_t(c.in << 8);
        SetFlags(z->m_reg, c.flagsIn);
        z->Run(0, {0xCB, c.op});
        EXPECT_EQ(z->m_reg.BC >> 8, c.out) << std::hex << int(c.op);
        EXPECT_EQ(FlagText(z->m_reg), c.flagsOut) << std::hex << int(c.op);
    }
}

} // namespace
