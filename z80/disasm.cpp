// Disassembler: one instruction's text in the usual Z80 mnemonic style, from the bytes the
// caller has read. Mnemonics fill a five-character field; numbers are upper-case hex
// without prefix; an index displacement is signed decimal behind "+" (so "+-3").
// Sequences that no prefix page defines read "???".
#include <cstdio>

#include "z80/simz80.h"

namespace {

const char* const kReg8[8] = {"B", "C", "D", "E", "H", "L", "(HL)", "A"};
const char* const kPair[4] = {"BC", "DE", "HL", "SP"};
const char* const kPair2[4] = {"BC", "DE", "HL", "AF"};
const char* const kAlu[8] = {"ADD  A,", "ADC  A,", "SUB  ", "SBC  A,",
                             "AND  ",   "XOR  ",   "OR   ", "CP   "};
const char* const kJr[8] = {nullptr,    nullptr,   "DJNZ ",    "JR   ",
                            "JR   NZ,", "JR   Z,", "JR   NC,", "JR   C,"};
const char* const kAccOp[8] = {"RLCA", "RRCA", "RLA", "RRA", "DAA", "CPL", "SCF", "CCF"};
const char* const kMisc[4] = {"RET", "EXX", "JP   (HL)", "LD   SP,HL"};
const char* const kCond[8] = {"NZ", "Z", "NC", "C", "PO", "PE", "P", "M"};
const char* const kShift[8] = {"RLC  ", "RRC  ", "RL   ", "RR   ",
                               "SLA  ", "SRA  ", "???  ", "SRL  "};
const char* const kBitOp[4] = {nullptr, "BIT  ", "RES  ", "SET  "};

constexpr int N = CSimZ80::kDisasmSize;

void Base(char* t, const uint8_t* b, uint16_t addr) {
    uint8_t op = b[0];
    int y = (op >> 3) & 7, zz = op & 7, p = y >> 1, q = y & 1;
    if (op < 0x40) {
        switch (zz) {
        case 0:
            if (y == 0)
                std::snprintf(t, N, "NOP");
            else if (y == 1)
                std::snprintf(t, N, "EX   AF,AF'");
            else
                std::snprintf(t, N, "%s%04X", kJr[y], unsigned(uint16_t(addr + 2 + int8_t(b[1]))));
            break;
        case 1:
            if (q == 0)
                std::snprintf(t, N, "LD   %s,%02X%02X", kPair[p], b[2], b[1]);
            else
                std::snprintf(t, N, "ADD  HL,%s", kPair[p]);
            break;
        case 2: {
            const char* r = p == 2 ? "HL" : "A";
            if (p < 2 && q == 0)
                std::snprintf(t, N, "LD   (%s),A", kPair[p]);
            else if (p < 2)
                std::snprintf(t, N, "LD   A,(%s)", kPair[p]);
            else if (q == 0)
                std::snprintf(t, N, "LD   (%02X%02X),%s", b[2], b[1], r);
            else
                std::snprintf(t, N, "LD   %s,(%02X%02X)", r, b[2], b[1]);
            break;
        }
        case 3: std::snprintf(t, N, q == 0 ? "INC  %s" : "DEC  %s", kPair[p]); break;
        case 4: std::snprintf(t, N, "INC  %s", kReg8[y]); break;
        case 5: std::snprintf(t, N, "DEC  %s", kReg8[y]); break;
        case 6: std::snprintf(t, N, "LD   %s,%02X", kReg8[y], b[1]); break;
        default: std::snprintf(t, N, "%s", kAccOp[y]); break;
        }
    } else if (op < 0x80) {
        if (op == 0x76)
            std::snprintf(t, N, "HALT");
        else
            std::snprintf(t, N, "LD   %s,%s", kReg8[y], kReg8[zz]);
    } else if (op < 0xC0) {
        std::snprintf(t, N, "%s%s", kAlu[y], kReg8[zz]);
    } else {
        switch (zz) {
        case 0: std::snprintf(t, N, "RET  %s", kCond[y]); break;
        case 1:
            if (q == 0)
                std::snprintf(t, N, "POP  %s", kPair2[p]);
            else
                std::snprintf(t, N, "%s", kMisc[p]);
            break;
        case 2: std::snprintf(t, N, "JP   %s,%02X%02X", kCond[y], b[2], b[1]); break;
        case 3:
            switch (y) {
            case 0: std::snprintf(t, N, "JP   %02X%02X", b[2], b[1]); break;
            case 2: std::snprintf(t, N, "OUT  (%02X),A", b[1]); break;
            case 3: std::snprintf(t, N, "IN   A,(%02X)", b[1]); break;
            case 4: std::snprintf(t, N, "EX   (SP),HL"); break;
            case 5: std::snprintf(t, N, "EX   DE,HL"); break;
            case 6: std::snprintf(t, N, "DI"); break;
            case 7: std::snprintf(t, N, "EI"); break;
            }
            break;
        case 4: std::snprintf(t, N, "CALL %s,%02X%02X", kCond[y], b[2], b[1]); break;
        case 5:
            if (q == 0)
                std::snprintf(t, N, "PUSH %s", kPair2[p]);
            else
                std::snprintf(t, N, "CALL %02X%02X", b[2], b[1]);
            break;
        case 6: std::snprintf(t, N, "%s%02X", kAlu[y], b[1]); break;
        default: std::snprintf(t, N, "RST  %02X", op & 0x38); break;
        }
    }
}

void PageCB(char* t, uint8_t op) {
    int g = op >> 6, y = (op >> 3) & 7;
    if (g == 0)
        std::snprintf(t, N, "%s%s", kShift[y], kReg8[op & 7]);
    else
        std::snprintf(t, N, "%s%d,%s", kBitOp[g], y, kReg8[op & 7]);
}

void PageED(char* t, const uint8_t* b) {
    uint8_t op = b[1];
    int y = (op >> 3) & 7, p = y >> 1;
    const char* fixed = nullptr;
    switch (op) {
    case 0x44: fixed = "NEG"; break;
    case 0x45: fixed = "RETN"; break;
    case 0x4D: fixed = "RETI"; break;
    case 0x46: fixed = "IM   0"; break;
    case 0x56: fixed = "IM   1"; break;
    case 0x5E: fixed = "IM   2"; break;
    case 0x47: fixed = "LD   I,A"; break;
    case 0x4F: fixed = "LD   R,A"; break;
    case 0x57: fixed = "LD   A,I"; break;
    case 0x5F: fixed = "LD   A,R"; break;
    case 0x67: fixed = "RRD"; break;
    case 0x6F: fixed = "RLD"; break;
    case 0xA0: fixed = "LDI"; break;
    case 0xA1: fixed = "CPI"; break;
    case 0xA2: fixed = "INI"; break;
    case 0xA3: fixed = "OUTI"; break;
    case 0xA8: fixed = "LDD"; break;
    case 0xA9: fixed = "CPD"; break;
    case 0xAA: fixed = "IND"; break;
    case 0xAB: fixed = "OUTD"; break;
    case 0xB0: fixed = "LDIR"; break;
    case 0xB1: fixed = "CPIR"; break;
    case 0xB2: fixed = "INIR"; break;
    case 0xB3: fixed = "OTIR"; break;
    case 0xB8: fixed = "LDDR"; break;
    case 0xB9: fixed = "CPDR"; break;
    case 0xBA: fixed = "INDR"; break;
    case 0xBB: fixed = "OTDR"; break;
    default: break;
    }
    if (fixed) {
        std::snprintf(t, N, "%s", fixed);
        return;
    }
    if (op < 0x40 || op > 0x7F || op == 0x70 || op == 0x71) {
        std::snprintf(t, N, "???");
        return;
    }
    switch (op & 0x0F) {
    case 0x0:
    case 0x8: std::snprintf(t, N, "IN   %s,(C)", kReg8[y]); break;
    case 0x1:
    case 0x9: std::snprintf(t, N, "OUT  (C),%s", kReg8[y]); break;
    case 0x2: std::snprintf(t, N, "SBC  HL,%s", kPair[p]); break;
    case 0xA: std::snprintf(t, N, "ADC  HL,%s", kPair[p]); break;
    case 0x3: std::snprintf(t, N, "LD   (%02X%02X),%s", b[3], b[2], kPair[p]); break;
    case 0xB: std::snprintf(t, N, "LD   %s,(%02X%02X)", kPair[p], b[3], b[2]); break;
    default: std::snprintf(t, N, "???"); break;
    }
}

void PageIndex(char* t, const uint8_t* b) {
    const char* x = b[0] == 0xDD ? "IX" : "IY";
    uint8_t op = b[1];
    int d = int8_t(b[2]);
    int y = (op >> 3) & 7, zz = op & 7;
    switch (op) {
    case 0x09: std::snprintf(t, N, "ADD  %s,BC", x); return;
    case 0x19: std::snprintf(t, N, "ADD  %s,DE", x); return;
    case 0x29: std::snprintf(t, N, "ADD  %s,%s", x, x); return;
    case 0x39: std::snprintf(t, N, "ADD  %s,SP", x); return;
    case 0x21: std::snprintf(t, N, "LD   %s,%02X%02X", x, b[3], b[2]); return;
    case 0x22: std::snprintf(t, N, "LD   (%02X%02X),%s", b[3], b[2], x); return;
    case 0x2A: std::snprintf(t, N, "LD   %s,(%02X%02X)", x, b[3], b[2]); return;
    case 0x23: std::snprintf(t, N, "INC  %s", x); return;
    case 0x2B: std::snprintf(t, N, "DEC  %s", x); return;
    case 0x34: std::snprintf(t, N, "INC  (%s+%d)", x, d); return;
    case 0x35: std::snprintf(t, N, "DEC  (%s+%d)", x, d); return;
    case 0x36: std::snprintf(t, N, "LD   (%s+%d),%02X", x, d, b[3]); return;
    case 0xE1: std::snprintf(t, N, "POP  %s", x); return;
    case 0xE5: std::snprintf(t, N, "PUSH %s", x); return;
    case 0xE3: std::snprintf(t, N, "EX   (SP),%s", x); return;
    case 0xE9: std::snprintf(t, N, "JP   (%s)", x); return;
    case 0xF9: std::snprintf(t, N, "LD   SP,%s", x); return;
    case 0xCB: {
        uint8_t cb = b[3];
        int g = cb >> 6, by = (cb >> 3) & 7;
        if ((cb & 7) != 6)
            std::snprintf(t, N, "???");
        else if (g == 0)
            std::snprintf(t, N, "%s(%s+%d)", kShift[by], x, d);
        else
            std::snprintf(t, N, "%s%d,(%s+%d)", kBitOp[g], by, x, d);
        return;
    }
    default: break;
    }
    if (op >= 0x40 && op < 0x80 && op != 0x76 && zz == 6)
        std::snprintf(t, N, "LD   %s,(%s+%d)", kReg8[y], x, d);
    else if (op >= 0x70 && op < 0x78 && op != 0x76)
        std::snprintf(t, N, "LD   (%s+%d),%s", x, d, kReg8[zz]);
    else if (op >= 0x80 && op < 0xC0 && zz == 6)
        std::snprintf(t, N, "%s(%s+%d)", kAlu[y], x, d);
    else
        std::snprintf(t, N, "???");
}

} // namespace

void CSimZ80::Disasm(char* text, const uint8_t* bytes, uint16_t addr) {
    switch (bytes[0]) {
    case 0xCB: PageCB(text, bytes[1]); break;
    case 0xED: PageED(text, bytes); break;
    case 0xDD:
    case 0xFD: PageIndex(text, bytes); break;
    default: Base(text, bytes, addr); break;
    }
}
