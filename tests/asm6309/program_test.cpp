// A program assembled at build time (orlo_assemble, orlo_embed_binary) runs on the core.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "tests/asm6309/helpers.h"

extern const uint8_t g_sumProgram[256];

namespace {

std::map<std::string, int> ReadSymbols(const char* path) {
    std::map<std::string, int> symbols;
    std::ifstream in(path);
    std::string name, equ, value;
    while (in >> name >> equ >> value && equ == "EQU")
        symbols[name] = std::stoi(value.substr(1), nullptr, 16);
    return symbols;
}

// Also guards the build-time steps: defines, include directories, fill and the symbols file.
TEST(Program, RunsOnTheCore) {
    EXPECT_EQ(g_sumProgram[255], 0x12); // the fill byte
    std::map<std::string, int> symbols = ReadSymbols(ASM6309_SUM_SYMBOLS);
    EXPECT_EQ(symbols["START"], 0x1000);
    EXPECT_EQ(symbols["COUNT"], 10);
    auto cpu = std::make_unique<CTestCpu>();
    std::copy(g_sumProgram, g_sumProgram + 256, cpu->m_mem + 0x1000);
    cpu->m_reg.PC = 0x1000;
    int done = symbols.at("DONE");
    for (int i = 0; i < 1000 && cpu->m_reg.PC != done; ++i)
        cpu->Execute();
    ASSERT_EQ(cpu->m_reg.PC, done);
    const uint8_t* r = cpu->m_mem + symbols.at("RESULT");
    EXPECT_EQ(r[0] << 8 | r[1], 55);                              // sum of 1..10
    EXPECT_EQ(r[2], 0xFF);                                        // remainder -1
    EXPECT_EQ(r[3], 0xFD);                                        // quotient -3
    EXPECT_EQ(r[4] << 24 | r[5] << 16 | r[6] << 8 | r[7], 90000); // 300 * 300
    EXPECT_EQ(r[8], 0x80);                                        // OIM
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(r[0x10 + i], i + 1); // TFM copy
    EXPECT_EQ(cpu->m_reg.S, 0x0300);
}

} // namespace
