// Disassembler texts, instruction lengths and the order of its reads.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cpu6309/optable.h"
#include "cpu6309/sim09.h"

namespace {

class ByteCpu : public CSim09 {
public:
    uint8_t mem[65536] = {};
    std::vector<uint16_t> reads;
    uint8_t ReadByte(uint16_t addr) override {
        reads.push_back(addr);
        return mem[addr];
    }
    void Load(uint16_t addr, const std::vector<uint8_t>& bytes) {
        for (uint8_t b : bytes)
            mem[addr++] = b;
    }
    // Disassembles bytes placed at addr; returns the text and sets next.
    std::string Dis(uint16_t addr, const std::vector<uint8_t>& bytes, uint16_t* next = nullptr) {
        Load(addr, bytes);
        reads.clear();
        char text[32];
        std::memset(text, 'x', sizeof text);
        uint16_t n = Disasm(text, addr);
        if (next) *next = n;
        return text;
    }
};

struct Case {
    uint16_t addr;
    std::vector<uint8_t> bytes;
    const char* text;
    int length;
};

TEST(Disasm, TextsAndLengths) {
    const Case cases[] = {
        {0x1000, {0x10, 0x10}, "???", 2},
        {0x1000, {0x11, 0xFF}, "???", 2},
        {0x1000, {0x10, 0x97, 0x40}, "STW   <$40", 3},
        {0x1000, {0x10, 0x38}, "PSHSW", 2},
        {0x1000, {0x11, 0x8D, 0x05}, "DIVD  #$05", 3},
        {0x1000, {0x11, 0x8E, 0x00, 0x05}, "DIVQ  #$0005", 4},
        {0x1000, {0xCD}, "???", 1},
        {0x1000, {0x87, 0x12}, "???", 1},
        {0xFFF0, {0x20, 0x20}, "BRA   $0012", 2},
        {0x1000, {0x20, 0xFE}, "BRA   $1000", 2},
        {0xFFF0, {0x16, 0x00, 0x20}, "LBRA  $0013", 3},
        {0x1000, {0x10, 0x26, 0xFF, 0xFC}, "LBNE  $1000", 4},
        {0x1000, {0x17, 0x12, 0x34}, "LBSR  $2237", 3},
        {0xFFFC, {0xA6, 0x8C, 0xF0}, "LDA   $FFEF,PCR", 3},
        {0xFFFC, {0xA6, 0x8C, 0x10}, "LDA   $000F,PCR", 3},
        {0x1000, {0xA6, 0x9D, 0x01, 0x00}, "LDA   [$1104,PCR]", 4},
        {0x1000, {0xA6, 0x9F, 0xC0, 0x00}, "LDA   [$c000]", 4},
        {0x1000, {0x01, 0x12, 0x34}, "OIM   #$12,<$34", 3},
        {0x1000, {0x0B, 0xAB, 0xCD}, "TIM   #$ab,<$CD", 3},
        {0x1000, {0x61, 0x12, 0x84}, "OIM   #$12,,X", 3},
        {0x1000, {0x62, 0xF0, 0xB9, 0x80, 0x00}, "AIM   #$F0,[-32768,Y]", 5},
        {0x1000, {0x75, 0x01, 0xAB, 0xCD}, "EIM   #$01,$ABCD", 4},
        {0x1000, {0x11, 0x30, 0x1D, 0x40}, "BAND  <$40:3,CC:5", 4},
        {0x1000, {0x11, 0x36, 0xC7, 0xFF}, "LDBT  <$FF:0,N:7", 4},
        {0x1000, {0x11, 0x37, 0x5D, 0x40}, "STBT  A:3,<$40:5", 4},
        {0x1000, {0x11, 0x38, 0x12}, "TFM   X+,Y+", 3},
        {0x1000, {0x11, 0x39, 0x34}, "TFM   U-,S-", 3},
        {0x1000, {0x11, 0x3A, 0x01}, "TFM   D+,X", 3},
        {0x1000, {0x11, 0x3B, 0x44}, "TFM   S,S+", 3},
        {0x1000, {0x11, 0x38, 0x45}, "???", 3},
        {0x1000, {0x11, 0x38, 0x15}, "???", 3},
        {0x1000, {0x11, 0x3B, 0x50}, "???", 3},
        {0x1000, {0x34, 0x00}, "PSHS  ", 2},
        {0x1000, {0x34, 0xFF}, "PSHS  CC,A,B,DP,X,Y,U,PC", 2},
        {0x1000, {0x36, 0x40}, "PSHU  S", 2},
        {0x1000, {0x37, 0x86}, "PULU  A,B,PC", 2},
        {0x1000, {0x1F, 0xC8}, "TFR   ?,A", 2},
        {0x1000, {0x1E, 0x57}, "EXG   PC,V", 2},
        {0x1000, {0x10, 0x30, 0xAB}, "ADDR  CC,DP", 3},
        {0x1000, {0x12}, "NOP  ", 1},
        {0x1000, {0x3C, 0xEF}, "CWAI  #$EF", 2},
        {0x1000, {0x8E, 0x12, 0x34}, "LDX   #$1234", 3},
        {0x1000, {0xB6, 0x12, 0x34}, "LDA   $1234", 3},
        {0x1000, {0x10, 0xFC, 0x00, 0x10}, "LDQ   $0010", 4},
        {0x1000, {0x10, 0xEC, 0x1F}, "LDQ   -1,X", 3},
        {0x1000, {0x11, 0xAF, 0xE4}, "MULD  ,S", 3},
        {0x1000, {0x11, 0xE7, 0xC1}, "STF   ,U++", 3},
        {0x1000, {0x10, 0x3F}, "SWI2 ", 2},
        {0x1000, {0x11, 0x3F}, "SWI3 ", 2},
        {0x1000, {0x10, 0x20, 0x00}, "???", 2},
        {0x1000, {0x11, 0xFC}, "???", 2},
    };
    for (const Case& c : cases) {
        ByteCpu cpu;
        uint16_t next = 0;
        EXPECT_EQ(cpu.Dis(c.addr, c.bytes, &next), c.text) << c.text;
        EXPECT_EQ(next, uint16_t(c.addr + c.length)) << c.text;
        EXPECT_EQ(cpu.reads.size(), size_t(c.length)) << c.text;
    }
}

TEST(Disasm, IndexedTexts) {
    struct Ix {
        std::vector<uint8_t> bytes; // postbyte and offset
        const char* text;
    };
    const Ix cases[] = {
        {{0x00}, "0,X"},
        {{0x0F}, "15,X"},
        {{0x10}, "-16,X"},
        {{0x3F}, "-1,Y"},
        {{0x5F}, "-1,U"},
        {{0x7F}, "-1,S"},
        {{0x80}, ",X+"},
        {{0xA1}, ",Y++"},
        {{0xC2}, ",-U"},
        {{0xE3}, ",--S"},
        {{0x84}, ",X"},
        {{0x85}, "B,X"},
        {{0x86}, "A,X"},
        {{0x87}, "E,X"},
        {{0x88, 0x80}, "-128,X"},
        {{0x89, 0x7F, 0xFF}, "32767,X"},
        {{0x8A}, "F,X"},
        {{0x8B}, "D,X"},
        {{0x8E}, "W,X"},
        {{0x8F}, ",W"},
        {{0xAF, 0xFF, 0xFE}, "-2,W"},
        {{0xCF}, ",W++"},
        {{0xEF}, ",--W"},
        {{0x90}, "[,W]"},
        {{0xB0, 0x00, 0x10}, "[16,W]"},
        {{0xD0}, "[,W++]"},
        {{0xF0}, "[,--W]"},
        {{0xB1}, "[,Y++]"},
        {{0x92}, "[,-X]"},
        {{0xF3}, "[,--S]"},
        {{0x94}, "[,X]"},
        {{0xBE}, "[W,Y]"},
        {{0xB8, 0xFE}, "[-2,Y]"},
        {{0x99, 0x12, 0x34}, "[4660,X]"},
        {{0x9F, 0xC0, 0x00}, "[$c000]"},
        {{0xFF, 0xAB, 0xCD}, "[$abcd]"},
        {{0xBF, 0x00, 0x01}, "[$0001]"},
        {{0xEC, 0x00}, "$2003,PCR"},
        {{0x9C, 0x00}, "[$2003,PCR]"},
        {{0x8D, 0x00, 0x00}, "$2004,PCR"},
    };
    for (const Ix& c : cases) {
        ByteCpu cpu;
        cpu.Load(0x2001, c.bytes);
        uint16_t addr = 0x2001;
        EXPECT_STREQ(cpu.DisasmIndexed(addr), c.text);
        EXPECT_EQ(addr, 0x2001 + c.bytes.size()) << c.text;
    }
}

TEST(Disasm, ReadsEachByteOnceLowByteFirst) {
    struct Order {
        std::vector<uint8_t> bytes;
        std::vector<uint16_t> reads; // offsets from the instruction's address
    };
    const Order cases[] = {
        {{0xB6, 0x12, 0x34}, {0, 2, 1}},          {{0x8E, 0x12, 0x34}, {0, 2, 1}},
        {{0x16, 0x12, 0x34}, {0, 2, 1}},          {{0x10, 0x26, 0x12, 0x34}, {0, 1, 3, 2}},
        {{0x71, 0x55, 0x12, 0x34}, {0, 1, 3, 2}}, {{0x62, 0x55, 0x89, 0x12, 0x34}, {0, 1, 2, 4, 3}},
        {{0x11, 0x30, 0x1D, 0x40}, {0, 1, 2, 3}}, {{0xA6, 0x9F, 0xC0, 0x00}, {0, 1, 3, 2}},
        {{0x11, 0x38, 0x99}, {0, 1, 2}},
    };
    for (const Order& c : cases) {
        ByteCpu cpu;
        cpu.Dis(0xFFFE, c.bytes);
        std::vector<uint16_t> expect;
        for (uint16_t o : c.reads)
            expect.push_back(uint16_t(0xFFFE + o));
        EXPECT_EQ(cpu.reads, expect);
    }
}

// Bytes after the opcode for each form, with an indexed postbyte that has no offset.
int OperandBytes(uint32_t form) {
    switch (form) {
    case OPF_ILLEGAL:
    case OPF_INHERENT: return 0;
    case OPF_EXTENDED:
    case OPF_IMM16:
    case OPF_REL16:
    case OPF_BITMEM:
    case OPF_BITREG:
    case OPF_IMM_DIRECT:
    case OPF_IMM_INDEXED: return 2;
    case OPF_IMM_EXTENDED: return 3;
    default: return 1;
    }
}

TEST(Disasm, EveryRowHasItsLengthAndColumns) {
    const OpPage09* pages[3] = {&g_opPage0, &g_opPage10, &g_opPage11};
    for (int page = 0; page < 3; ++page) {
        for (int op = 0; op < 256; ++op) {
            const OPTEXT09& row = (*pages[page])[op];
            if (row.form == OPF_PAGE10 || row.form == OPF_PAGE11) continue;
            std::vector<uint8_t> bytes;
            if (page) bytes.push_back(page == 1 ? 0x10 : 0x11);
            bytes.push_back(uint8_t(op));
            // ,X as indexed postbyte; X and Y as TFM pointers; everything else 0x12.
            uint8_t operand =
                (row.form == OPF_INDEXED || row.form == OPF_IMM_INDEXED) ? 0x84 : 0x12;
            bytes.insert(bytes.end(), 4, operand);
            if (row.form == OPF_IMM_INDEXED) bytes[bytes.size() - 4] = 0x12;
            ByteCpu cpu;
            uint16_t next = 0;
            std::string text = cpu.Dis(0x4000, bytes, &next);
            int opBytes = page ? 2 : 1;
            SCOPED_TRACE(testing::Message() << "page " << page << " op " << op << " " << text);
            EXPECT_EQ(next, 0x4000 + opBytes + OperandBytes(row.form));
            EXPECT_EQ(cpu.reads.size(), size_t(next - 0x4000));
            EXPECT_LE(text.size(), 24u);
            EXPECT_EQ(row.reserved, 0u);
            if (row.form == OPF_ILLEGAL) {
                EXPECT_EQ(text, "???");
                EXPECT_STREQ(row.mnemonic, "???");
                continue;
            }
            ASSERT_GE(text.size(), 5u);
            EXPECT_LE(std::strlen(row.mnemonic), 5u);
            EXPECT_EQ(text.substr(0, std::strlen(row.mnemonic)), row.mnemonic);
            if (row.form == OPF_INHERENT)
                EXPECT_EQ(text.size(), 5u);
            else
                EXPECT_EQ(text[5], ' ');
        }
    }
}

TEST(Disasm, TfmPostbytesOutsideThePointerCodesShowUnknown) {
    for (int p = 0; p < 256; ++p) {
        ByteCpu cpu;
        uint16_t next = 0;
        std::string text = cpu.Dis(0x1000, {0x11, 0x38, uint8_t(p)}, &next);
        EXPECT_EQ(next, 0x1003);
        bool defined = (p >> 4) <= 4 && (p & 15) <= 4;
        EXPECT_EQ(text == "???", !defined) << p;
    }
}

} // namespace

namespace {

class Recorder : public CTracePage09 {
public:
    std::vector<std::string> lines;
    void Update(const REG09*, const char* line) override { lines.push_back(line); }
    void UpdateSignals(const REG09*) override {}
};

TEST(TraceLine, NewPcAndTheDisassemblyReadThroughTheBoard) {
    ByteCpu cpu;
    Recorder page;
    cpu.Load(0x0FFF, {0x12, 0x86, 0x12, 0x11, 0x38, 0x12});
    cpu.m_reg.PC = 0x0FFF;
    cpu.m_pStat = &page;
    cpu.reads.clear();
    cpu.Execute();
    cpu.Execute();
    ASSERT_EQ(page.lines.size(), 2u);
    EXPECT_EQ(page.lines[0], "1000 LDA   #$12");
    EXPECT_EQ(page.lines[1], "1002 TFM   X+,Y+");
    // NOP, its trace; LDA and its operand, its trace.
    EXPECT_EQ(cpu.reads, (std::vector<uint16_t>{0x0FFF, 0x1000, 0x1001, 0x1000, 0x1001, 0x1002,
                                                0x1003, 0x1004}));
}

// The rows name exactly what the core executes: "???" rows trap, the others do not, and
// an instruction that does not jump moves PC past as many bytes as its text takes.
TEST(Tables, AgreeWithTheCore) {
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
            ByteCpu cpu;
            std::memset(cpu.mem, 1, sizeof cpu.mem); // no division by zero
            cpu.Load(0x4000, bytes);
            cpu.m_reg.PC = 0x4000;
            cpu.m_reg.S = 0x8000;
            cpu.m_reg.U = 0x9000;
            char text[32];
            uint16_t next = cpu.Disasm(text, 0x4000);
            cpu.Execute();
            SCOPED_TRACE(testing::Message() << "page " << page << " op " << op << " " << text);
            bool trapped = (cpu.m_reg.MD & MD_IL) != 0;
            EXPECT_EQ(trapped, row.form == OPF_ILLEGAL);
            if (!trapped && !jumps) {
                EXPECT_EQ(cpu.m_reg.PC, next);
            }
        }
    }
}

} // namespace
