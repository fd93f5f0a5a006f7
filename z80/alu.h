// Flag rules and ALU operations of the Z80 core, shared by the opcode pages. Each
// operation computes its flags at once into the six flag bytes; the full-width sum or
// difference goes to m_nTemp. Internal to z80/.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "z80/simz80.h"

namespace z80 {

using OpFn = void (*)(CSimZ80&);
using IndexOpFn = void (*)(CSimZ80&, uint16_t&);

// 1 when the byte has an even number of one bits.
inline constexpr std::array<uint8_t, 256> kParity = [] {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = uint8_t((std::popcount(unsigned(i)) & 1) ^ 1);
    return t;
}();

inline uint8_t Hi(uint16_t w) {
    return uint8_t(w >> 8);
}
inline uint8_t Lo(uint16_t w) {
    return uint8_t(w);
}
inline void SetHi(uint16_t& w, uint8_t v) {
    w = uint16_t((w & 0x00FF) | v << 8);
}
inline void SetLo(uint16_t& w, uint8_t v) {
    w = uint16_t((w & 0xFF00) | v);
}

inline void SetSZP(REGZ80& r, uint8_t v) {
    r.fS = v >> 7;
    r.fZ = v == 0;
    r.fPV = kParity[v];
}

// Condition codes 0-7: NZ Z NC C PO PE P M.
template <int cc> inline bool Cond(const REGZ80& r) {
    if constexpr (cc == 0)
        return !r.fZ;
    else if constexpr (cc == 1)
        return r.fZ;
    else if constexpr (cc == 2)
        return !r.fC;
    else if constexpr (cc == 3)
        return r.fC;
    else if constexpr (cc == 4)
        return !r.fPV;
    else if constexpr (cc == 5)
        return r.fPV;
    else if constexpr (cc == 6)
        return !r.fS;
    else
        return r.fS;
}

// Pair codes 0-3 of loads and arithmetic: BC DE HL SP; of PUSH and POP: BC DE HL AF.
template <int p> inline uint16_t& Pair(REGZ80& r) {
    if constexpr (p == 0)
        return r.BC;
    else if constexpr (p == 1)
        return r.DE;
    else if constexpr (p == 2)
        return r.HL;
    else
        return r.SP;
}

inline void Add8(CSimZ80& z, uint8_t v, int c) {
    REGZ80& r = z.m_reg;
    uint8_t a = r.A();
    int sum = a + v + c;
    int ssum = int8_t(a) + int8_t(v) + c;
    uint8_t res = uint8_t(sum);
    z.m_nTemp = sum;
    r.fS = res >> 7;
    r.fZ = res == 0;
    r.fH = ((a ^ v ^ res) >> 4) & 1;
    r.fPV = ssum < -128 || ssum > 127;
    r.fN = 0;
    r.fC = uint8_t(sum >> 8);
    r.SetA(res);
}

// SUB, SBC and CP; returns the 8-bit difference.
inline uint8_t Sub8(CSimZ80& z, uint8_t v, int c) {
    REGZ80& r = z.m_reg;
    uint8_t a = r.A();
    int diff = a - v - c;
    int sdiff = int8_t(a) - int8_t(v) - c;
    uint8_t res = uint8_t(diff);
    z.m_nTemp = diff;
    r.fS = res >> 7;
    r.fZ = res == 0;
    r.fH = ((a ^ v ^ res) >> 4) & 1;
    r.fPV = sdiff < -128 || sdiff > 127;
    r.fN = 1;
    r.fC = diff < 0;
    return res;
}

inline void Logic(REGZ80& r, uint8_t res, uint8_t h) {
    SetSZP(r, res);
    r.fH = h;
    r.fN = 0;
    r.fC = 0;
    r.SetA(res);
}

// Operation codes 0-7: ADD ADC SUB SBC AND XOR OR CP.
template <int op> inline void Alu(CSimZ80& z, uint8_t v) {
    REGZ80& r = z.m_reg;
    if constexpr (op == 0)
        Add8(z, v, 0);
    else if constexpr (op == 1)
        Add8(z, v, r.fC);
    else if constexpr (op == 2)
        r.SetA(Sub8(z, v, 0));
    else if constexpr (op == 3)
        r.SetA(Sub8(z, v, r.fC));
    else if constexpr (op == 4)
        Logic(r, r.A() & v, 1);
    else if constexpr (op == 5)
        Logic(r, r.A() ^ v, 0);
    else if constexpr (op == 6)
        Logic(r, r.A() | v, 0);
    else
        Sub8(z, v, 0);
}

inline uint8_t Inc8(REGZ80& r, uint8_t v) {
    uint8_t res = uint8_t(v + 1);
    r.fS = res >> 7;
    r.fZ = res == 0;
    r.fH = ((v ^ res) >> 4) & 1;
    r.fPV = v == 0x7F;
    r.fN = 0;
    return res;
}

inline uint8_t Dec8(REGZ80& r, uint8_t v) {
    uint8_t res = uint8_t(v - 1);
    r.fS = res >> 7;
    r.fZ = res == 0;
    r.fH = ((v ^ res) >> 4) & 1;
    r.fPV = v == 0x80;
    r.fN = 1;
    return res;
}

// ADD HL/IX/IY,rr: only N and C change.
inline void Add16(CSimZ80& z, uint16_t& dst, uint16_t v) {
    int sum = dst + v;
    z.m_nTemp = sum;
    z.m_reg.fN = 0;
    z.m_reg.fC = uint8_t(sum >> 16);
    dst = uint16_t(sum);
}

// ADC HL,rr and SBC HL,rr. The half carry is taken in the low byte: bit 4 of
// (old L XOR (low byte of rr + c) XOR new L).
inline void Adc16(CSimZ80& z, uint16_t v) {
    REGZ80& r = z.m_reg;
    int c = r.fC;
    uint16_t hl = r.HL;
    int sum = hl + v + c;
    int ssum = int16_t(hl) + int16_t(v) + c;
    uint16_t res = uint16_t(sum);
    z.m_nTemp = sum;
    r.fS = uint8_t(res >> 15);
    r.fZ = res == 0;
    r.fH = ((Lo(hl) ^ (Lo(v) + c) ^ Lo(res)) >> 4) & 1;
    r.fPV = ssum < -32768 || ssum > 32767;
    r.fN = 0;
    r.fC = sum > 0xFFFF;
    r.HL = res;
}

inline void Sbc16(CSimZ80& z, uint16_t v) {
    REGZ80& r = z.m_reg;
    int c = r.fC;
    uint16_t hl = r.HL;
    int diff = hl - v - c;
    int sdiff = int16_t(hl) - int16_t(v) - c;
    uint16_t res = uint16_t(diff);
    z.m_nTemp = diff;
    r.fS = uint8_t(res >> 15);
    r.fZ = res == 0;
    r.fH = ((Lo(hl) ^ (Lo(v) + c) ^ Lo(res)) >> 4) & 1;
    r.fPV = sdiff < -32768 || sdiff > 32767;
    r.fN = 1;
    r.fC = diff < 0;
    r.HL = res;
}

// CB-page rotates and shifts by kind (bits 5-3); kind 6 is the empty row: the operand
// and every flag stay as they are.
template <int kind> inline uint8_t Shift(REGZ80& r, uint8_t v) {
    if constexpr (kind == 6) {
        return v;
    } else {
        uint8_t res;
        uint8_t c;
        if constexpr (kind == 0) {
            res = uint8_t(v << 1 | v >> 7);
            c = v >> 7;
        } else if constexpr (kind == 1) {
            res = uint8_t(v >> 1 | v << 7);
            c = v & 1;
        } else if constexpr (kind == 2) {
            res = uint8_t(v << 1 | r.fC);
            c = v >> 7;
        } else if constexpr (kind == 3) {
            res = uint8_t(v >> 1 | r.fC << 7);
            c = v & 1;
        } else if constexpr (kind == 4) {
            res = uint8_t(v << 1);
            c = v >> 7;
        } else if constexpr (kind == 5) {
            res = uint8_t((v >> 1) | (v & 0x80));
            c = v & 1;
        } else {
            res = uint8_t(v >> 1);
            c = v & 1;
        }
        SetSZP(r, res);
        r.fH = 0;
        r.fN = 0;
        r.fC = c;
        return res;
    }
}

} // namespace z80
