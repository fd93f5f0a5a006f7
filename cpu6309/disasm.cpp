// Disassembler of CSim09: one instruction at an address into one line of text, formatted by
// the opcode text tables. Every byte is read once through ReadByte, in the order the
// instruction holds them except that a 16-bit value is read low byte first, because with
// the debugger open these reads count on the board like any other.
#include <cstdio>

#include "cpu6309/optable.h"
#include "cpu6309/sim09.h"

namespace {

constexpr size_t kTextSize = 25; // the longest line is 24 characters
constexpr size_t kIndexedSize = 16;

int Signed5(uint8_t v) {
    return (v & 0x10) ? int(v & 0x1F) - 32 : int(v & 0x0F);
}

} // namespace

uint16_t CSim09::Disasm(char* text, uint16_t addr) {
    auto read8 = [&] { return ReadByte(addr++); };
    auto read16 = [&] {
        uint8_t lo = ReadByte(uint16_t(addr + 1));
        uint8_t hi = ReadByte(addr);
        addr = uint16_t(addr + 2);
        return uint16_t(hi << 8 | lo);
    };

    const OPTEXT09* row = &g_opPage0[read8()];
    while (row->form == OPF_PAGE10 || row->form == OPF_PAGE11)
        row = &(row->form == OPF_PAGE10 ? g_opPage10 : g_opPage11)[read8()];
    const char* mn = row->mnemonic;

    switch (row->form) {
    case OPF_REGPAIR: {
        uint8_t p = read8();
        std::snprintf(text, kTextSize, "%-5s %s,%s", mn, g_regPairNames09[p >> 4],
                      g_regPairNames09[p & 15]);
        break;
    }
    case OPF_BITMEM: {
        uint8_t p = read8();
        uint8_t a = read8();
        std::snprintf(text, kTextSize, "%-5s <$%02X:%d,%s:%d", mn, a, (p >> 3) & 7,
                      g_bitRegNames09[p >> 6], p & 7);
        break;
    }
    case OPF_LIST_S:
    case OPF_LIST_U: {
        uint8_t p = read8();
        const char* const* names = row->form == OPF_LIST_S ? g_regListNamesS09 : g_regListNamesU09;
        int n = std::snprintf(text, kTextSize, "%-5s ", mn);
        for (int bit = 0; bit < 8; ++bit) {
            if (!(p & (1 << bit))) continue;
            n += std::snprintf(text + n, kTextSize - n, "%s%s", (p & ((1 << bit) - 1)) ? "," : "",
                               names[bit]);
        }
        break;
    }
    case OPF_DIRECT: std::snprintf(text, kTextSize, "%-5s <$%02X", mn, read8()); break;
    case OPF_INDEXED: std::snprintf(text, kTextSize, "%-5s %s", mn, DisasmIndexed(addr)); break;
    case OPF_EXTENDED: std::snprintf(text, kTextSize, "%-5s $%04X", mn, read16()); break;
    case OPF_INHERENT: std::snprintf(text, kTextSize, "%-5s", mn); break;
    case OPF_IMM8: std::snprintf(text, kTextSize, "%-5s #$%02X", mn, read8()); break;
    case OPF_IMM16: std::snprintf(text, kTextSize, "%-5s #$%04X", mn, read16()); break;
    case OPF_REL8: {
        int8_t off = int8_t(read8());
        std::snprintf(text, kTextSize, "%-5s $%04X", mn, uint16_t(addr + off));
        break;
    }
    case OPF_REL16: {
        uint16_t off = read16();
        std::snprintf(text, kTextSize, "%-5s $%04X", mn, uint16_t(addr + off));
        break;
    }
    case OPF_TFM_INC:
    case OPF_TFM_DEC:
    case OPF_TFM_SRC:
    case OPF_TFM_DST: {
        // Pointer codes other than D, X, Y, U and S trap when executed.
        uint8_t p = read8();
        if (p > 0x44 || (p & 15) > 4) {
            std::snprintf(text, kTextSize, "???");
            break;
        }
        static const char* const kFormat[4] = {"%-5s %s+,%s+", "%-5s %s-,%s-", "%-5s %s+,%s",
                                               "%-5s %s,%s+"};
        std::snprintf(text, kTextSize, kFormat[row->form - OPF_TFM_INC], mn,
                      g_tfmRegNames09[p >> 4], g_tfmRegNames09[p & 15]);
        break;
    }
    case OPF_IMM_DIRECT: {
        uint8_t imm = read8();
        std::snprintf(text, kTextSize, "%-5s #$%02x,<$%02X", mn, imm, read8());
        break;
    }
    case OPF_IMM_INDEXED: {
        uint8_t imm = read8();
        std::snprintf(text, kTextSize, "%-5s #$%02X,%s", mn, imm, DisasmIndexed(addr));
        break;
    }
    case OPF_IMM_EXTENDED: {
        uint8_t imm = read8();
        std::snprintf(text, kTextSize, "%-5s #$%02X,$%04X", mn, imm, read16());
        break;
    }
    case OPF_BITREG: {
        uint8_t p = read8();
        uint8_t a = read8();
        std::snprintf(text, kTextSize, "%-5s %s:%d,<$%02X:%d", mn, g_bitRegNames09[p >> 6],
                      (p >> 3) & 7, a, p & 7);
        break;
    }
    default: std::snprintf(text, kTextSize, "???"); break;
    }
    return addr;
}

const char* CSim09::DisasmIndexed(uint16_t& addr) {
    static char s_text[kIndexedSize + 2];
    static char s_inner[kIndexedSize];
    auto read16 = [&] {
        uint8_t lo = ReadByte(uint16_t(addr + 1));
        uint8_t hi = ReadByte(addr);
        addr = uint16_t(addr + 2);
        return uint16_t(hi << 8 | lo);
    };

    uint8_t p = ReadByte(addr++);
    const char* r = g_indexRegNames09[(p >> 5) & 3];
    if (!(p & 0x80)) {
        std::snprintf(s_text, kIndexedSize, "%d,%s", Signed5(p), r);
        return s_text;
    }
    char* t = s_inner;
    switch (p & 15) {
    case 0:
        if (p == 0x90)
            std::snprintf(t, kIndexedSize, ",W");
        else if (p == 0xB0)
            std::snprintf(t, kIndexedSize, "%d,W", int16_t(read16()));
        else if (p == 0xD0)
            std::snprintf(t, kIndexedSize, ",W++");
        else if (p == 0xF0)
            std::snprintf(t, kIndexedSize, ",--W");
        else
            std::snprintf(t, kIndexedSize, ",%s+", r);
        break;
    case 1: std::snprintf(t, kIndexedSize, ",%s++", r); break;
    case 2: std::snprintf(t, kIndexedSize, ",-%s", r); break;
    case 3: std::snprintf(t, kIndexedSize, ",--%s", r); break;
    case 4: std::snprintf(t, kIndexedSize, ",%s", r); break;
    case 5: std::snprintf(t, kIndexedSize, "B,%s", r); break;
    case 6: std::snprintf(t, kIndexedSize, "A,%s", r); break;
    case 7: std::snprintf(t, kIndexedSize, "E,%s", r); break;
    case 8: std::snprintf(t, kIndexedSize, "%d,%s", int8_t(ReadByte(addr++)), r); break;
    case 9: std::snprintf(t, kIndexedSize, "%d,%s", int16_t(read16()), r); break;
    case 10: std::snprintf(t, kIndexedSize, "F,%s", r); break;
    case 11: std::snprintf(t, kIndexedSize, "D,%s", r); break;
    case 12: {
        int8_t off = int8_t(ReadByte(addr++));
        std::snprintf(t, kIndexedSize, "$%04X,PCR", uint16_t(addr + off));
        break;
    }
    case 13: {
        uint16_t off = read16();
        std::snprintf(t, kIndexedSize, "$%04X,PCR", uint16_t(addr + off));
        break;
    }
    case 14: std::snprintf(t, kIndexedSize, "W,%s", r); break;
    case 15:
        if (p == 0x8F)
            std::snprintf(t, kIndexedSize, ",W");
        else if (p == 0xAF)
            std::snprintf(t, kIndexedSize, "%d,W", int16_t(read16()));
        else if (p == 0xCF)
            std::snprintf(t, kIndexedSize, ",W++");
        else if (p == 0xEF)
            std::snprintf(t, kIndexedSize, ",--W");
        else
            std::snprintf(t, kIndexedSize, "$%04x", read16());
        break;
    }
    if (p & 0x10)
        std::snprintf(s_text, sizeof s_text, "[%s]", s_inner);
    else
        std::snprintf(s_text, sizeof s_text, "%s", s_inner);
    return s_text;
}
