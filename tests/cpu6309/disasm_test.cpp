// Disassembler texts, the order of its reads, and the opcode rows checked against the core.
// Lengths and operand texts of every opcode are covered by the assembler's round trip.
#include <cstring>
#include <string>

#include "cpu6309/optable.h"
#include "test_cpu.h"

namespace {

// Disassembles bytes placed at addr after clearing the log; the text, and in *next where
// the next instruction starts.
std::string Dis(CTestCpu& cpu, uint16_t addr, const std::vector<uint8_t>& bytes,
                uint16_t* next = nullptr) {
    for (size_t i = 0; i < bytes.size(); ++i)
        cpu.m_mem[uint16_t(addr + i)] = bytes[i];
    cpu.m_log.clear();
    char text[32];
    std::memset(text, 'x', sizeof text);
    uint16_t n = cpu.Disasm(text, addr);
    if (next) *next = n;
    return text;
}

struct Case {
    uint16_t addr;
    std::vector<uint8_t> bytes;
    const char* text;
    int length;
};

// The exact texts (column layout, number bases and case, the "???" of undefined codes, the
// lower-case [$addr] form), how many bytes an undefined code takes, and the names of a sample
// of rows; the round trip reads the other index forms back, and branch and PCR targets that
// wrap.
TEST_F(CpuTest, DisasmTextsAndLengths) {
    const Case cases[] = {
        {0x1000, {0x10, 0x10}, "???", 2},
        {0x1000, {0x10, 0x20, 0x00}, "???", 2},
        {0x1000, {0x87, 0x12}, "???", 1},
        {0x1000, {0x11, 0x38, 0x45}, "???", 3},
        {0x1000, {0x11, 0x3B, 0x50}, "???", 3},
        {0x1000, {0x12}, "NOP  ", 1},
        {0x1000, {0x10, 0x97, 0x40}, "STW   <$40", 3},
        {0x1000, {0x11, 0x8E, 0x00, 0x05}, "DIVQ  #$0005", 4},
        {0x1000, {0x10, 0x26, 0xFF, 0xFC}, "LBNE  $1000", 4},
        {0x1000, {0xA6, 0x9F, 0xC0, 0x00}, "LDA   [$c000]", 4},
        {0x1000, {0xA6, 0x10}, "LDA   -16,X", 2},
        {0x1000, {0xA6, 0xAF, 0xFF, 0xFE}, "LDA   -2,W", 4},
        {0x1000, {0x0B, 0xAB, 0xCD}, "TIM   #$ab,<$CD", 3},
        {0x1000, {0x62, 0xF0, 0xB9, 0x80, 0x00}, "AIM   #$F0,[-32768,Y]", 5},
        {0x1000, {0x11, 0x30, 0x1D, 0x40}, "BAND  <$40:3,CC:5", 4},
        {0x1000, {0x11, 0x36, 0xC7, 0xFF}, "LDBT  <$FF:0,N:7", 4},
        {0x1000, {0x11, 0x37, 0x5D, 0x40}, "STBT  A:3,<$40:5", 4},
        {0x1000, {0x11, 0x39, 0x34}, "TFM   U-,S-", 3},
        {0x1000, {0x11, 0x3A, 0x01}, "TFM   D+,X", 3},
        {0x1000, {0x34, 0x00}, "PSHS  ", 2},
        {0x1000, {0x34, 0xFF}, "PSHS  CC,A,B,DP,X,Y,U,PC", 2},
        {0x1000, {0x37, 0x86}, "PULU  A,B,PC", 2},
        {0x1000, {0x1F, 0xC8}, "TFR   ?,A", 2},
        {0x1000, {0x1E, 0x57}, "EXG   PC,V", 2},
    };
    for (const Case& c : cases) {
        uint16_t next = 0;
        EXPECT_EQ(Dis(cpu, c.addr, c.bytes, &next), c.text) << c.text;
        EXPECT_EQ(next, uint16_t(c.addr + c.length)) << c.text;
        EXPECT_EQ(cpu.m_log.size(), size_t(c.length)) << c.text;
    }
}

TEST_F(CpuTest, DisasmReadsEachByteOnceLowByteFirst) {
    struct Order {
        std::vector<uint8_t> bytes;
        std::vector<uint16_t> reads; // offsets from the instruction's address
    };
    const Order cases[] = {
        {{0xB6, 0x12, 0x34}, {0, 2, 1}},          {{0x8E, 0x12, 0x34}, {0, 2, 1}},
        {{0x16, 0x12, 0x34}, {0, 2, 1}},          {{0x10, 0x26, 0x12, 0x34}, {0, 1, 3, 2}},
        {{0x71, 0x55, 0x12, 0x34}, {0, 1, 3, 2}}, {{0x62, 0x55, 0x89, 0x12, 0x34}, {0, 1, 2, 4, 3}},
        {{0x11, 0x30, 0x1D, 0x40}, {0, 1, 2, 3}}, {{0xA6, 0x9F, 0xC0, 0x00}, {0, 1, 3, 2}},
    };
    for (const Order& c : cases) {
        Dis(cpu, 0xFFFE, c.bytes);
        Log expect;
        for (uint16_t o : c.reads)
            expect.push_back(R(uint16_t(0xFFFE + o), c.bytes[o]));
        EXPECT_EQ(cpu.m_log, expect);
    }
}

// The rows name exactly what the core executes: "???" rows trap and the others do not, and
// an instruction that does not jump moves PC past as many bytes as its text takes.
TEST(OpTables, AgreeWithTheCore) {
    const OpPage09* pages[3] = {&g_opPage0, &g_opPage10, &g_opPage11};
    for (int page = 0; page < 3; ++page) {
        for (int op = 0; op < 256; ++op) {
            const OPTEXT09& row = (*pages[page])[op];
            if (row.form == OPF_PAGE10 || row.form == OPF_PAGE11) continue;
            std::string mn = row.mnemonic;
            bool jumps = row.form == OPF_REL8 || row.form == OPF_REL16 || mn == "JMP" ||
                         mn == "JSR" || mn == "RTS" || mn == "RTI" || mn.rfind("SWI", 0) == 0 ||
                         mn == "CWAI" || mn == "PULS" || mn == "PULU";
            std::vector<uint8_t> bytes;
            if (page) bytes.push_back(page == 1 ? 0x10 : 0x11);
            bytes.push_back(uint8_t(op));
            // Register pair A,B; TFM X to Y; ,X; nonzero divisors; list without PC.
            uint8_t operand = row.form == OPF_REGPAIR                                  ? 0x89
                              : row.form == OPF_INDEXED || row.form == OPF_IMM_INDEXED ? 0x84
                                                                                       : 0x12;
            bytes.insert(bytes.end(), 4, operand);
            if (row.form == OPF_IMM_INDEXED) bytes[bytes.size() - 4] = 0x12;
            auto cpu = std::make_unique<CTestCpu>();
            std::memset(cpu->m_mem, 1, sizeof cpu->m_mem); // no division by zero
            cpu->m_reg.S = 0x8000;
            cpu->m_reg.U = 0x9000;
            uint16_t next = 0;
            std::string t = Dis(*cpu, 0x4000, bytes, &next);
            cpu->m_reg.PC = 0x4000;
            cpu->Execute();
            SCOPED_TRACE(testing::Message() << "page " << page << " op " << op << " " << t);
            bool trapped = (cpu->m_reg.MD & MD_IL) != 0;
            EXPECT_EQ(trapped, row.form == OPF_ILLEGAL);
            if (!trapped && !jumps) {
                EXPECT_EQ(cpu->m_reg.PC, next);
            }
            EXPECT_LE(t.size(), 24u);
        }
    }
}

} // namespace
