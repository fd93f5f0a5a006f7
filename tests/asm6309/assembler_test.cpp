// Assembler behaviour: operand forms and sizes, directives, expressions, passes and errors.
#include <gtest/gtest.h>

#include "tests/asm6309/helpers.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Assembles at $1000 and returns the bytes up to the last one written (found by assembling
// with two fill bytes).
Bytes Code(const std::string& body, const std::map<std::string, std::string>& files = {}) {
    asm6309::Options options;
    asm6309::Result r = AsmText(" ORG $1000\n" + body, 0x1000, 0x1000, files, options);
    options.fill = 0;
    asm6309::Result r0 = AsmText(" ORG $1000\n" + body, 0x1000, 0x1000, files, options);
    EXPECT_TRUE(r.ok) << body << "\n" << (r.errors.empty() ? "" : r.errors[0]);
    size_t end = std::min(r.image.size(), r0.image.size());
    while (end && r.image[end - 1] != r0.image[end - 1])
        --end;
    return Bytes(r.image.begin(), r.image.begin() + end);
}

struct CodeCase {
    const char* source;
    Bytes bytes;
};

TEST(Assembler, OperandForms) {
    const CodeCase cases[] = {
        // Offsets: 5, 8 and 16 bits by value at the edges; no 5-bit form when indirect. The
        // round trip covers every postbyte and register pair as the disassembler writes them.
        {" LDA 16,U", {0xA6, 0xC8, 0x10}},
        {" LDA -129,S", {0xA6, 0xE9, 0xFF, 0x7F}},
        {" LDA [0,X]", {0xA6, 0x98, 0x00}},
        {" LDA 0,W", {0xA6, 0xAF, 0x00, 0x00}},
        {" LDA *-125,PCR", {0xA6, 0x8C, 0x80}},
        {" LDA *+130,PCR", {0xA6, 0x8C, 0x7F}},
        {" LDA *+131,PCR", {0xA6, 0x8D, 0x00, 0x7F}},
        // Direct only with SETDP or '<'; '>' forces extended.
        {" LDA $40", {0xB6, 0x00, 0x40}},
        {" SETDP $20\n LDA $2040\n LDA >$2040\n LDA $40",
         {0x96, 0x40, 0xB6, 0x20, 0x40, 0xB6, 0x00, 0x40}},
        {" OIM #1,$40", {0x71, 0x01, 0x00, 0x40}},
        {" AIM #-1,[,Y]", {0x62, 0xFF, 0xB4}},
        // Immediates of 8 and 16 bits, and lists as the disassembler does not write them.
        {" LDX #-1\n LDQ <0", {0x8E, 0xFF, 0xFF, 0x10, 0xDC, 0x00}},
        {" PSHS D,CC,PC\n PULU S,X\n PSHS", {0x34, 0x87, 0x37, 0x50, 0x34, 0x00}},
        {" TFM X-,Y-\n TFM D+,S\n tfm u,x+",
         {0x11, 0x39, 0x12, 0x11, 0x3A, 0x04, 0x11, 0x3B, 0x31}},
        // Branches as written; other names of the same opcodes.
        {"L BRA L\n LBRA L\n LBNE L\n BSR L",
         {0x20, 0xFE, 0x16, 0xFF, 0xFB, 0x10, 0x26, 0xFF, 0xF7, 0x8D, 0xF5}},
        {" LSLA\n LSL ,X\n BCC *\n LBCS *", {0x48, 0x68, 0x84, 0x24, 0xFE, 0x10, 0x25, 0xFF, 0xFC}},
    };
    for (const CodeCase& c : cases)
        EXPECT_EQ(Code(c.source), c.bytes) << c.source;
}

TEST(Assembler, DirectivesAndExpressions) {
    const CodeCase cases[] = {
        {" FCB 1,-1,'A',$7F+1", {0x01, 0xFF, 0x41, 0x80}},
        {" FDB $1234,-2", {0x12, 0x34, 0xFF, 0xFE}},
        {" FCC \"a;b\"\n FCC 'x'", {'a', ';', 'b', 'x'}},
        {" FILL $AA,3\n RMB 2\n FCB 0", {0xAA, 0xAA, 0xAA, 0xFF, 0xFF, 0x00}},
        {" FCB 2+3*4,(2+3)*4,17/5,17%5,-7/2", {14, 20, 3, 2, 0xFD}},
        {" FCB 1<<4|1,$F0>>4&3,~0&$0F,5^1", {0x11, 0x03, 0x0F, 0x04}},
        {" FDB *,*+2\n FDB *", {0x10, 0x00, 0x10, 0x02, 0x10, 0x04}},
        {" FCB 0\nHERE ORG $1003\n FDB HERE", {0x00, 0xFF, 0xFF, 0x10, 0x03}},
        {"A EQU 5\nB EQU A*2\n FCB B", {10}},
        {" FCB C\nC EQU D+1\nD EQU 3", {4}},
        {" IF 1\n FCB 1\n ELSE\n FCB 2\n ENDIF\n IF 0\n FCB 3\n IF 1\n FCB 4\n ENDIF\n ELSE\n FCB "
         "5\n ENDIF",
         {1, 5}},
        {" IF 0\n BOGUS\n UNDEF EQU X\n ENDIF\n FCB 6", {6}},
        {"* comment\n; comment\nLBL: FCB 1 ; trailing\n  X2: FCB 2", {1, 2}},
        {"MAIN FCB 1\n.L FDB .L\nNEXT FDB .L\n.L FDB MAIN.L",
         {1, 0x10, 0x01, 0x10, 0x05, 0x10, 0x01}},
        {" INCLUDE \"inc/a.inc\"\n FCB VAL", {0x01, 0x02, 0x03, 0x07}},
    };
    std::map<std::string, std::string> files = {
        {"inc/a.inc", " INCBIN b.bin\nVAL EQU 7\n"},
        {"inc/b.bin", std::string("\x01\x02\x03", 3)},
    };
    for (const CodeCase& c : cases)
        EXPECT_EQ(Code(c.source, files), c.bytes) << c.source;
}

TEST(Assembler, ForwardReferencesSettleOnTheShortestForms) {
    // Forward values start long and shrink; the labels follow.
    Bytes b = Code(" LDA OFF,X\n LDA FAR,PCR\n SETDP $10\n LDA PAGE\nOFF EQU 3\nPAGE EQU $1020\n"
                   "FAR FCB 9");
    EXPECT_EQ(b, (Bytes{0xA6, 0x03, 0xA6, 0x8C, 0x02, 0x96, 0x20, 0x09}));
}

TEST(Assembler, OutputsImageListingAndSymbols) {
    asm6309::Options options;
    options.fill = 0x5A;
    options.defines = {{"SIZE", 2}};
    asm6309::Result r = AsmText(" ORG $8001\nSTART FILL 0,SIZE\n", 0x8000, 4, {}, options);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image, (Bytes{0x5A, 0x00, 0x00, 0x5A}));
    EXPECT_NE(r.listing.find("8001  00 00"), std::string::npos) << r.listing;
    EXPECT_EQ(r.files, std::vector<std::string>{"main.asm"});
}

struct ErrorCase {
    const char* source;
    const char* error; // expected beginning "main.asm:<line>: <text>"
};

TEST(Assembler, Errors) {
    const ErrorCase cases[] = {
        {"X1 NOP\nX1 NOP", "main.asm:3: duplicate symbol 'X1'"},
        {" BRA *+130", "main.asm:2: branch target out of range"},
        {" LDA #256", "main.asm:2: value 256 out of range"},
        {" LDA <$1234", "main.asm:2: address 4660 is outside the direct page"},
        {" LDA $10000", "main.asm:2: address 65536 out of range"},
        {" LDA 70000,X", "main.asm:2: offset 70000 out of range"},
        {" LDQ #1", "main.asm:2: operand form not available for LDQ"},
        {" NOP 1", "main.asm:2: NOP takes no operand"},
        {" LDA [,X+]", "main.asm:2: [,R+] does not exist"},
        {" LDA ,W+", "main.asm:2: W takes ,W++ and ,--W only"},
        {" LDA A,W", "main.asm:2: an accumulator offset needs X, Y, U or S"},
        {" LDA ,Q", "main.asm:2: bad index register"},
        {" PSHS S", "main.asm:2: bad register 'S' in list"},
        {" TFM X+,Y-", "main.asm:2: bad TFM operands"},
        {" BAND <$40:8,CC:0", "main.asm:2: bit number 8 out of range"},
        {" FCB 1/0", "main.asm:2: division by zero"},
        {" FCB (1", "main.asm:2: missing ')'"},
        {" FCB 1+", "main.asm:2: missing value"},
        {" FCB 12AB", "main.asm:2: bad digit"},
        {" IF 1", "main.asm:2: IF without ENDIF"},
        {" ENDIF", "main.asm:2: ENDIF without IF"},
        {" INCLUDE \"none.inc\"", "main.asm:2: cannot read 'none.inc'"},
        {"1ABC NOP", "main.asm:2: bad label"},
        {" EQU 5", "main.asm:2: EQU needs a label"},
        {" ORG $0FFF\n NOP", "main.asm:3: code at $0FFF is outside the image $1000-$1FFF"},
        {" NOP\n ORG $1000\n NOP", "main.asm:4: address $1000 is assigned twice"},
        {" ORG $FFFF\n RMB 2", "main.asm:3: address beyond $FFFF"},
        {" FILL 1", "main.asm:2: FILL needs a value and a count"},
    };
    for (const ErrorCase& c : cases) {
        asm6309::Result r = AsmText(" ORG $1000\n" + std::string(c.source));
        EXPECT_FALSE(r.ok) << c.source;
        ASSERT_FALSE(r.errors.empty()) << c.source;
        EXPECT_EQ(r.errors[0].rfind(c.error, 0), 0u) << c.source << " -> " << r.errors[0];
    }
}

TEST(Assembler, ErrorsInIncludedFilesNameThatFile) {
    asm6309::Result r = AsmText(" INCLUDE \"x.inc\"\n", 0x1000, 16, {{"x.inc", "\n BOGUS\n"}});
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0], "x.inc:2: unknown mnemonic 'BOGUS'");
}

TEST(Assembler, IncludeCyclesAndDeepNestingStop) {
    asm6309::Result r = AsmText(" INCLUDE \"a\"\n", 0x1000, 16, {{"a", " INCLUDE \"main.asm\""}});
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.errors[0], "a:1: 'main.asm' includes itself");
    std::map<std::string, std::string> chain;
    for (int i = 0; i < 20; ++i)
        chain[std::to_string(i)] = " INCLUDE " + std::to_string(i + 1);
    r = AsmText(" INCLUDE 0\n", 0x1000, 16, chain);
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.errors[0], "15:1: INCLUDE nested too deeply");
}

TEST(Assembler, IncludeDirectoriesAreSearchedAfterTheIncludingFile) {
    asm6309::Options options;
    options.includeDirs = {"lib"};
    asm6309::Result r = AsmText(" ORG $1000\n INCLUDE \"v.inc\"\n", 0x1000, 1,
                                {{"lib/v.inc", " FCB 7\n"}}, options);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image, Bytes{7});
    EXPECT_EQ(r.files, (std::vector<std::string>{"main.asm", "lib/v.inc"}));
}

} // namespace
