// Block instructions: single steps, and repeating forms that finish inside one Execute.
#include <gtest/gtest.h>

#include "flat_z80.h"

namespace {

TEST(Block, RegistersFlagsAndPorts) {
    struct Case {
        const char* name;
        uint8_t op;               // after $ED, at $1000
        std::vector<uint8_t> mem; // at $2000
        uint16_t hl, de, bc;
        uint8_t a;
        const char* flagsIn;
        uint16_t hlOut, deOut, bcOut;
        const char* flagsOut;
        std::vector<uint16_t> outs; // port << 8 | value
    };
    // clang-format off
    const Case cases[] = {
        {"LDI",  0xA0, {0x11}, 0x2000, 0x3000, 2, 0, "SZHNC", 0x2001, 0x3001, 1, "SZPC", {}},
        {"LDD",  0xA8, {0x11}, 0x2000, 0x3000, 1, 0, "SZPC",  0x1FFF, 0x2FFF, 0, "SZC", {}},
        {"CPI",  0xA1, {0x01}, 0x2000, 0, 1, 0x10, "",        0x2001, 0, 0, "HN", {}},
        {"CPIR match", 0xB1, {0x01, 0x02, 0x42, 0x42}, 0x2000, 0, 10, 0x42, "C",
                                                              0x2003, 0, 7, "ZPNC", {}},
        {"CPIR runs out", 0xB1, {0x50, 0x50, 0x50}, 0x2000, 0, 3, 0x10, "",
                                                              0x2003, 0, 0, "SN", {}},
        {"CPDR", 0xB9, {0x50, 0x50, 0x00}, 0x2002, 0, 3, 0x50, "", 0x2000, 0, 1, "ZPN", {}},
        {"OTDR", 0xBB, {0xA1, 0xA2, 0xA3}, 0x2001, 0, 0x0210, 0, "", 0x1FFF, 0, 0x0010, "ZN",
                                                              {0x10A2, 0x10A1}},
        {"OTIR", 0xB3, {0x05, 0x06}, 0x2000, 0, 0x0207, 0, "", 0x2002, 0, 0x0007, "ZN",
                                                              {0x0705, 0x0706}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto z = std::make_unique<FlatZ80>();
        REGZ80& r = z->m_reg;
        std::copy(c.mem.begin(), c.mem.end(), z->m_ram + 0x2000);
        r.HL = c.hl, r.DE = c.de, r.BC = c.bc;
        r.SetA(c.a);
        SetFlags(r, c.flagsIn);
        z->Run(0x1000, {0xED, c.op});
        EXPECT_EQ(r.HL, c.hlOut);
        EXPECT_EQ(r.DE, c.deOut);
        EXPECT_EQ(r.BC, c.bcOut);
        EXPECT_EQ(FlagText(r), c.flagsOut);
        EXPECT_EQ(r.A(), c.a);
        EXPECT_EQ(r.PC, 0x1002);
        EXPECT_EQ(z->m_outs, c.outs);
    }
}

TEST(Block, LdirWithBcZeroCopies65536BytesInOneExecute) {
    auto z = std::make_unique<FlatZ80>();
    for (int i = 0; i < 0x10000; ++i)
        z->m_ram[i] = uint8_t(i * 7 + 3);
    std::vector<uint8_t> before(z->m_ram, z->m_ram + 0x10000);
    z->m_reg.HL = 0x0002, z->m_reg.DE = 0x8002, z->m_reg.BC = 0;
    z->m_reg.fPV = 1;
    z->Load(0x0000, {0xED, 0xB0});
    z->Execute();
    EXPECT_EQ(z->m_log.size(), 2u + 2 * 65536);
    EXPECT_EQ(z->m_reg.PC, 0x0002);
    EXPECT_EQ(z->m_reg.BC, 0);
    EXPECT_EQ(z->m_reg.HL, 0x0002);
    EXPECT_EQ(z->m_reg.DE, 0x8002);
    EXPECT_EQ(FlagText(z->m_reg), "");
    // The first half copies the original low half up; the second half copies it back.
    for (int k = 0; k < 0x7FFE; ++k) {
        ASSERT_EQ(z->m_ram[0x8002 + k], before[0x0002 + k]) << k;
        ASSERT_EQ(z->m_ram[0x0002 + k], before[0x0002 + k]) << k;
    }
}

TEST(Block, InirWithBZeroMakes256PortReads) {
    auto z = std::make_unique<FlatZ80>();
    std::memset(z->m_ram + 0x2000, 0xEE, 0x200);
    z->m_reg.HL = 0x2000, z->m_reg.BC = 0x0034;
    SetFlags(z->m_reg, "SHPC");
    z->Run(0x1000, {0xED, 0xB2});
    EXPECT_EQ(z->m_ins, std::vector<uint8_t>(256, 0x34));
    EXPECT_EQ(z->m_ram[0x20FF], 0x00);
    EXPECT_EQ(z->m_ram[0x2100], 0xEE);
    EXPECT_EQ(z->m_reg.HL, 0x2100);
    EXPECT_EQ(z->m_reg.BC, 0x0034);
    EXPECT_EQ(FlagText(z->m_reg), "SZHPNC");
}

} // namespace
