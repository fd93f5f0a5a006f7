// The disassembler's text of every opcode in every operand form assembles back to the same
// bytes. Variants of one opcode are laid out one after another, disassembled in sequence,
// and the whole text is assembled at the same address.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "cpu6309/optable.h"
#include "tests/asm6309/helpers.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Offset bytes that the assembler would not encode shorter.
const std::vector<Bytes> kOffset8 = {{0x80}, {0x7F}, {0x40}, {0xC0}};
const std::vector<Bytes> kOffset8Indirect = {{0x00}, {0x05}, {0x80}, {0x7F}};
const std::vector<Bytes> kOffset16 = {{0x80, 0x00}, {0x7F, 0xFF}, {0x12, 0x34}, {0xFF, 0x00}};

// Indexed postbyte plus offsets, every postbyte; $BF, $DF and $FF are spellings of $9F.
std::vector<Bytes> IndexedOperands(bool allPostbytes) {
    std::vector<Bytes> out;
    for (int p = 0; p < 256; ++p) {
        if (!allPostbytes && p % 7 != 0 && (p & 0x9F) != 0x9F && (p & 0x9F) != 0x8F &&
            (p & 0x9F) != 0x90)
            continue;
        const std::vector<Bytes>* offsets = nullptr;
        if (p & 0x80) {
            int form = p & 15;
            if (form == 8 || form == 12)
                offsets = (p & 0x10) ? &kOffset8Indirect : &kOffset8;
            else if (form == 9 || form == 13 || p == 0xAF || p == 0xB0 || (p & 0x9F) == 0x9F)
                offsets = &kOffset16;
        }
        if (!offsets) {
            out.push_back({uint8_t(p)});
            continue;
        }
        for (const Bytes& o : *offsets) {
            Bytes b{uint8_t(p)};
            b.insert(b.end(), o.begin(), o.end());
            out.push_back(b);
        }
    }
    return out;
}

// The postbyte the assembler gives back: $BF, $DF and $FF are spellings of $9F, and the
// PCR forms ignore the register bits.
uint8_t CanonicalPostbyte(uint8_t p) {
    if ((p & 0x9F) == 0x9F) return 0x9F;
    if ((p & 0x80) && ((p & 15) == 12 || (p & 15) == 13)) return p & 0x9F;
    return p;
}

std::vector<Bytes> Operands(uint32_t form, bool allPostbytes) {
    std::vector<Bytes> out;
    auto all = [&] {
        for (int p = 0; p < 256; ++p)
            out.push_back({uint8_t(p)});
    };
    switch (form) {
    case OPF_INHERENT: out.push_back({}); break;
    case OPF_REGPAIR:
    case OPF_LIST_S:
    case OPF_LIST_U: all(); break;
    case OPF_BITMEM:
    case OPF_BITREG:
        for (int p = 0; p < 256; ++p)
            out.push_back({uint8_t(p), uint8_t(p * 37)});
        break;
    case OPF_DIRECT: out = {{0x00}, {0x40}, {0xFF}}; break;
    case OPF_EXTENDED: out = {{0x00, 0x00}, {0x00, 0x40}, {0x12, 0x34}, {0xFF, 0xFF}}; break;
    case OPF_IMM8: out = {{0x00}, {0x7F}, {0x80}, {0xFF}}; break;
    case OPF_IMM16: out = {{0x00, 0x00}, {0x12, 0x34}, {0x80, 0x00}, {0xFF, 0xFF}}; break;
    case OPF_REL8: out = {{0x00}, {0x7F}, {0x80}, {0xFE}}; break;
    case OPF_REL16: out = {{0x00, 0x00}, {0x7F, 0xFF}, {0x80, 0x00}, {0xFF, 0xFD}}; break;
    case OPF_TFM_INC:
    case OPF_TFM_DEC:
    case OPF_TFM_SRC:
    case OPF_TFM_DST:
        for (int p = 0; p <= 0x44; ++p)
            if ((p & 15) <= 4) out.push_back({uint8_t(p)});
        break;
    case OPF_IMM_DIRECT: out = {{0x00, 0x40}, {0xAB, 0xFF}}; break;
    case OPF_IMM_EXTENDED: out = {{0x00, 0x00, 0x40}, {0xAB, 0x12, 0x34}}; break;
    case OPF_INDEXED: out = IndexedOperands(allPostbytes); break;
    case OPF_IMM_INDEXED:
        for (const Bytes& ix : IndexedOperands(allPostbytes)) {
            Bytes b{0xA5};
            b.insert(b.end(), ix.begin(), ix.end());
            out.push_back(b);
        }
        break;
    }
    return out;
}

// What the assembler gives back for a variant: codes 12 and 13 both show "?" and come back
// as 12; indexed postbytes as CanonicalPostbyte gives them.
Bytes Canonical(uint32_t form, size_t opBytes, Bytes b) {
    if (form == OPF_REGPAIR) {
        uint8_t& p = b[opBytes];
        if ((p >> 4) == 13) p = uint8_t(0xC0 | (p & 15));
        if ((p & 15) == 13) p = uint8_t((p & 0xF0) | 12);
    }
    if (form == OPF_INDEXED) b[opBytes] = CanonicalPostbyte(b[opBytes]);
    if (form == OPF_IMM_INDEXED) b[opBytes + 1] = CanonicalPostbyte(b[opBytes + 1]);
    return b;
}

// Lays out the variants at `start`, disassembles them and assembles the text back.
void RoundTrip(int page, int opcode, uint16_t start, bool allPostbytes) {
    const OpPage09& table = page == 0 ? g_opPage0 : page == 1 ? g_opPage10 : g_opPage11;
    const OPTEXT09& row = table[opcode];
    Bytes prefix;
    if (page) prefix.push_back(page == 1 ? 0x10 : 0x11);
    prefix.push_back(uint8_t(opcode));

    auto cpu = std::make_unique<CTestCpu>();
    Bytes expected;
    uint16_t addr = start;
    for (const Bytes& operand : Operands(row.form, allPostbytes)) {
        Bytes b = prefix;
        b.insert(b.end(), operand.begin(), operand.end());
        for (size_t i = 0; i < b.size(); ++i)
            cpu->m_mem[uint16_t(addr + i)] = b[i];
        Bytes c = Canonical(row.form, prefix.size(), b);
        expected.insert(expected.end(), c.begin(), c.end());
        addr = uint16_t(addr + b.size());
    }
    std::map<size_t, std::string> texts; // by offset from start
    char buf[8];
    std::snprintf(buf, sizeof buf, "$%04X", start);
    std::string source = std::string("        ORG ") + buf + "\n";
    for (uint16_t a = start; a != addr;) {
        char text[32];
        uint16_t next = cpu->Disasm(text, a);
        texts[uint16_t(a - start)] = text;
        source += std::string("        ") + text + "\n";
        a = next;
    }
    uint32_t size = std::min<uint32_t>(uint32_t(expected.size()), 0x10000 - start);
    asm6309::Result r = AsmText(source, start, size);
    SCOPED_TRACE(testing::Message() << "page " << page << " opcode " << opcode);
    ASSERT_TRUE(r.ok) << (r.errors.empty() ? "" : r.errors[0]);
    ASSERT_EQ(r.image.size(), expected.size());
    size_t bad =
        std::mismatch(r.image.begin(), r.image.end(), expected.begin()).first - r.image.begin();
    EXPECT_EQ(bad, r.image.size()) << std::prev(texts.upper_bound(bad))->second;
}

TEST(RoundTrip, EveryOpcodeOfEveryPage) {
    const OpPage09* pages[3] = {&g_opPage0, &g_opPage10, &g_opPage11};
    int opcodes = 0;
    for (int page = 0; page < 3; ++page) {
        for (int op = 0; op < 256; ++op) {
            uint32_t form = (*pages[page])[op].form;
            if (form == OPF_ILLEGAL || form == OPF_PAGE10 || form == OPF_PAGE11) continue;
            // All postbytes for one indexed opcode per page and for OIM; samples elsewhere.
            bool all = op == 0xA6 || op == 0x30 || op == 0x61 || op == 0xEC;
            RoundTrip(page, op, 0x1000, all);
            ++opcodes;
        }
    }
    EXPECT_EQ(opcodes, 234 + 118 + 83);
}

TEST(RoundTrip, BranchesAndPcrWrapAroundTheAddressSpace) {
    RoundTrip(0, 0x20, 0xFFE0, false); // BRA
    RoundTrip(0, 0x16, 0xFFE0, false); // LBRA
    RoundTrip(1, 0x26, 0xFFE0, false); // LBNE
    RoundTrip(0, 0x8D, 0xFFE0, false); // BSR
    auto cpu = std::make_unique<CTestCpu>();
    const Bytes b = {0xA6, 0x8C, 0x20, 0xA6, 0x9D, 0x7F, 0x00};
    for (size_t i = 0; i < b.size(); ++i)
        cpu->m_mem[0xFFF0 + i] = b[i];
    char t1[32], t2[32];
    uint16_t next = cpu->Disasm(t1, 0xFFF0);
    cpu->Disasm(t2, next);
    asm6309::Result r = AsmText(std::string(" ORG $FFF0\n ") + t1 + "\n " + t2 + "\n", 0xFFF0, 7);
    ASSERT_TRUE(r.ok) << t1 << " " << t2;
    EXPECT_EQ(r.image, b);
}

} // namespace
