// Internal to the HD6309 core: the dispatch tables, the access primitives every
// instruction body is written in, the operand fetch of each addressing mode, the
// register codes, and the entry and trap helpers. Not for use outside cpu6309/.
#pragma once

#include <cstdint>
#include <utility>

#include "cpu6309/sim09.h"

namespace cpu09 {

// The hot access and addressing paths must inline into every handler at -O2 too.
#define FORCE_INLINE [[gnu::always_inline]] inline

using Handler = void (*)(CSim09&);

// One table per opcode page; filled once before the first processor is built.
extern Handler g_page0[256];
extern Handler g_page10[256];
extern Handler g_page11[256];

// Installers, one per instruction family file.
void InstallPage0Rmw(Handler* page0);
void InstallPage0Acc(Handler* page0);
void InstallPage0Misc(Handler* page0);
void InstallPage0Flow(Handler* page0);
void InstallEntries(Handler* page0, Handler* page10, Handler* page11);
void InstallPage10(Handler* page10);
void InstallPage11(Handler* page11);
void InstallPage11Bits(Handler* page11);

// Fills table[First .. First+Count-1] with make.template operator()<opcode>(),
// skipping opcodes for which it yields nullptr.
template <unsigned First, unsigned Count, class Make> void FillRange(Handler* table, Make make) {
    auto set = [table](unsigned op, Handler h) {
        if (h) table[op] = h;
    };
    [&]<unsigned... I>(std::integer_sequence<unsigned, I...>) {
        (set(First + I, make.template operator()<First + I>()), ...);
    }
    (std::make_integer_sequence<unsigned, Count>{});
}

// ---- memory primitives: every access of the core is one of these ----

inline uint8_t Read(CSim09& c, uint16_t addr) {
    return c.ReadByte(addr);
}
inline void Write(CSim09& c, uint16_t addr, uint8_t value) {
    c.WriteByte(addr, value);
}

// Byte at PC; PC += 1.
FORCE_INLINE uint8_t Fetch(CSim09& c) {
    return c.ReadByte(c.m_reg.PC++);
}

// Immediate 16-bit operand or long offset: high byte at PC, then low byte.
FORCE_INLINE uint16_t Fetch16(CSim09& c) {
    uint8_t hi = Fetch(c);
    return uint16_t(hi << 8 | Fetch(c));
}

// 16-bit data in memory: read low byte (EA+1) first, write high byte (EA) first.
FORCE_INLINE uint16_t Read16(CSim09& c, uint16_t ea) {
    uint8_t lo = Read(c, uint16_t(ea + 1));
    return uint16_t(Read(c, ea) << 8 | lo);
}
FORCE_INLINE void Write16(CSim09& c, uint16_t ea, uint16_t value) {
    Write(c, ea, uint8_t(value >> 8));
    Write(c, uint16_t(ea + 1), uint8_t(value));
}

// Stack: push low byte first, S decremented before each byte; pull high byte first.
inline void Push8(CSim09& c, uint16_t& sp, uint8_t value) {
    Write(c, --sp, value);
}
inline void Push16(CSim09& c, uint16_t& sp, uint16_t value) {
    Write(c, --sp, uint8_t(value));
    Write(c, --sp, uint8_t(value >> 8));
}
inline uint8_t Pull8(CSim09& c, uint16_t& sp) {
    return Read(c, sp++);
}
inline uint16_t Pull16(CSim09& c, uint16_t& sp) {
    uint8_t hi = Pull8(c, sp);
    return uint16_t(hi << 8 | Pull8(c, sp));
}

// ---- addressing modes (the bits 5-4 of the accumulator groups) ----

enum Mode : int { IMM = 0, DIR = 1, IDX = 2, EXT = 3 };

FORCE_INLINE uint16_t DirectAddress(CSim09& c) {
    uint8_t lo = Fetch(c);
    return uint16_t(c.m_reg.DP << 8 | lo);
}

// Extended address: low byte at PC+1 first, then high byte at PC.
FORCE_INLINE uint16_t ExtendedAddress(CSim09& c) {
    uint16_t pc = c.m_reg.PC;
    uint8_t lo = Read(c, uint16_t(pc + 1));
    uint8_t hi = Read(c, pc);
    c.m_reg.PC = uint16_t(pc + 2);
    return uint16_t(hi << 8 | lo);
}

// Indexed postbyte bits 6-5.
inline constexpr uint16_t REG09::*kIndexBase[4] = {&REG09::X, &REG09::Y, &REG09::U, &REG09::S};

// Forms 0-6 and 11 (,R+ ,R++ ,-R ,--R ,R B,R A,R D,R): no offset bytes. Computes the EA
// (stepping R) and returns true, or returns false for every other form.
FORCE_INLINE bool ShortIndexedForm(REG09& r, uint8_t post, uint16_t& ea) {
    uint16_t& base = r.*kIndexBase[(post >> 5) & 3];
    switch (post & 0x0F) {
    case 0x0: ea = base++; return true;
    case 0x1:
        ea = base;
        base = uint16_t(base + 2);
        return true;
    case 0x2: ea = --base; return true;
    case 0x3:
        base = uint16_t(base - 2);
        ea = base;
        return true;
    case 0x4: ea = base; return true;
    case 0x5: ea = uint16_t(base + int8_t(r.B())); return true;
    case 0x6: ea = uint16_t(base + int8_t(r.A())); return true;
    case 0xB: ea = uint16_t(base + r.D); return true;
    default: return false;
    }
}

// The forms with offset bytes, W as the base, and every indirect form (addressing.cpp).
uint16_t IndexedAddressRest(CSim09& c, uint8_t post);

// GetIndexedAddress, with the common forms inline.
FORCE_INLINE uint16_t IndexedAddress(CSim09& c) {
    uint8_t post = Fetch(c);
    REG09& r = c.m_reg;
    if (!(post & 0x80)) return uint16_t(r.*kIndexBase[(post >> 5) & 3] + (int8_t(post << 3) >> 3));
    uint16_t ea;
    if (!(post & 0x10) && ShortIndexedForm(r, post, ea)) return ea;
    return IndexedAddressRest(c, post);
}

template <int M> FORCE_INLINE uint16_t Address(CSim09& c) {
    static_assert(M != IMM);
    if constexpr (M == DIR)
        return DirectAddress(c);
    else if constexpr (M == IDX)
        return IndexedAddress(c);
    else
        return ExtendedAddress(c);
}

template <int M> FORCE_INLINE uint8_t Operand8(CSim09& c) {
    if constexpr (M == IMM)
        return Fetch(c);
    else
        return Read(c, Address<M>(c));
}

template <int M> FORCE_INLINE uint16_t Operand16(CSim09& c) {
    if constexpr (M == IMM)
        return Fetch16(c);
    else
        return Read16(c, Address<M>(c));
}

inline uint16_t SignExtend8(uint8_t v) {
    return uint16_t(int16_t(int8_t(v)));
}

// ---- branch conditions (low nibble of the branch opcodes) ----

inline bool Condition(uint8_t cc, unsigned code) {
    bool n = cc & CC_N, z = cc & CC_Z, v = cc & CC_V, c = cc & CC_C;
    switch (code & 15) {
    case 0x0: return true;
    case 0x1: return false;
    case 0x2: return !c && !z;
    case 0x3: return c || z;
    case 0x4: return !c;
    case 0x5: return c;
    case 0x6: return !z;
    case 0x7: return z;
    case 0x8: return !v;
    case 0x9: return v;
    case 0xA: return !n;
    case 0xB: return n;
    case 0xC: return n == v;
    case 0xD: return n != v;
    case 0xE: return !z && n == v;
    default: return z || n != v;
    }
}

// ---- register codes 0-15 (TFR, EXG, register-to-register, TFM) ----

inline bool IsWideCode(unsigned code) {
    return code < 8;
}

// The register's value; 8-bit registers zero-extended.
inline uint16_t GetReg(const REG09& r, unsigned code) {
    switch (code & 15) {
    case 0: return r.D;
    case 1: return r.X;
    case 2: return r.Y;
    case 3: return r.U;
    case 4: return r.S;
    case 5: return r.PC;
    case 6: return r.W;
    case 7: return r.V;
    case 8: return r.A();
    case 9: return r.B();
    case 10: return r.CC;
    case 11: return r.DP;
    case 12:
    case 13: return r.ZERO;
    case 14: return r.E();
    default: return r.F();
    }
}

// Stores value; an 8-bit register takes its low byte.
inline void SetReg(REG09& r, unsigned code, uint16_t value) {
    uint8_t b = uint8_t(value);
    switch (code & 15) {
    case 0: r.D = value; break;
    case 1: r.X = value; break;
    case 2: r.Y = value; break;
    case 3: r.U = value; break;
    case 4: r.S = value; break;
    case 5: r.PC = value; break;
    case 6: r.W = value; break;
    case 7: r.V = value; break;
    case 8: r.SetA(b); break;
    case 9: r.SetB(b); break;
    case 10: r.CC = b; break;
    case 11: r.DP = b; break;
    case 12:
    case 13: r.ZERO = b; break;
    case 14: r.SetE(b); break;
    default: r.SetF(b); break;
    }
}

// ---- entries and traps (entries.cpp) ----

void PushFullState(CSim09& c);
void LoadVector(CSim09& c, uint16_t vector);
void TrapIllegal(CSim09& c);
void TrapDivideByZero(CSim09& c);
void OpIllegal(CSim09& c);

} // namespace cpu09
