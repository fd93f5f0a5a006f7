// Internal to the HD6309 core: one function per ALU operation, shared by every
// page and addressing mode. Each takes the operands, writes the flags its rule
// names into CC (and no other flag) and returns the result. T is uint8_t or
// uint16_t; 32-bit results (Q) have their own helpers.
#pragma once

#include <cstdint>
#include <type_traits>

#include "cpu6309/sim09.h"

namespace cpu09 {

template <class T> constexpr unsigned kTop = sizeof(T) == 1 ? 0x80u : 0x8000u;
template <class T> constexpr unsigned kBits = sizeof(T) * 8;

template <class T> inline uint8_t NZ(T r) {
    return uint8_t(((r & kTop<T>) ? CC_N : 0) | (r == 0 ? CC_Z : 0));
}
inline uint8_t NZ32(uint32_t r) {
    return uint8_t(((r >> 31) ? CC_N : 0) | (r == 0 ? CC_Z : 0));
}

inline void SetCC(REG09& r, uint8_t mask, uint8_t bits) {
    r.CC = uint8_t((r.CC & ~mask) | bits);
}

// ADD, ADC: H only for bytes (carry out of bit 3, with M + C taken as one operand).
template <class T> inline T Add(REG09& reg, T a, T m, unsigned carry) {
    unsigned mc = unsigned(m) + carry;
    unsigned r = unsigned(a) + mc;
    uint8_t f =
        uint8_t(NZ<T>(T(r)) | ((r >> kBits<T>)&1) | ((((a ^ r) & (m ^ r)) & kTop<T>) ? CC_V : 0));
    if constexpr (sizeof(T) == 1) {
        f |= uint8_t((a ^ mc ^ r) & 0x10) << 1;
        SetCC(reg, CC_H | CC_N | CC_Z | CC_V | CC_C, f);
    } else {
        SetCC(reg, CC_N | CC_Z | CC_V | CC_C, f);
    }
    return T(r);
}

// SUB, SBC, CMP: C is the unsigned borrow.
template <class T> inline T Sub(REG09& reg, T a, T m, unsigned borrow) {
    unsigned r = unsigned(a) - unsigned(m) - borrow;
    uint8_t f =
        uint8_t(NZ<T>(T(r)) | ((r >> kBits<T>)&1) | ((((a ^ m) & (a ^ r)) & kTop<T>) ? CC_V : 0));
    SetCC(reg, CC_N | CC_Z | CC_V | CC_C, f);
    return T(r);
}

// AND, OR, EOR, BIT, LD, ST, TST, OIM/AIM/EIM/TIM: N, Z from the value, V cleared.
template <class T> inline T Logic(REG09& reg, T v) {
    SetCC(reg, CC_N | CC_Z | CC_V, NZ<T>(v));
    return v;
}

template <class T> inline T Neg(REG09& reg, T m) {
    T r = T(0u - m);
    SetCC(reg, CC_N | CC_Z | CC_V | CC_C,
          uint8_t(NZ<T>(r) | (m == kTop<T> ? CC_V : 0) | (m != 0 ? CC_C : 0)));
    return r;
}

template <class T> inline T Com(REG09& reg, T m) {
    T r = T(~m);
    SetCC(reg, CC_N | CC_Z | CC_V | CC_C, uint8_t(NZ<T>(r) | CC_C));
    return r;
}

template <class T> inline T Lsr(REG09& reg, T m) {
    T r = T(m >> 1);
    SetCC(reg, CC_N | CC_Z | CC_C, uint8_t(NZ<T>(r) | (m & 1)));
    return r;
}

template <class T> inline T Ror(REG09& reg, T m) {
    T r = T((m >> 1) | ((reg.CC & CC_C) ? kTop<T> : 0));
    SetCC(reg, CC_N | CC_Z | CC_C, uint8_t(NZ<T>(r) | (m & 1)));
    return r;
}

template <class T> inline T Asr(REG09& reg, T m) {
    T r = T((m >> 1) | (m & kTop<T>));
    SetCC(reg, CC_N | CC_Z | CC_C, uint8_t(NZ<T>(r) | (m & 1)));
    return r;
}

// ASL and ROL: V = old top bit XOR the bit below it, C = old top bit.
template <class T> inline T Rol(REG09& reg, T m, unsigned in) {
    T r = T((m << 1) | in);
    bool top = m & kTop<T>, next = m & (kTop<T> >> 1);
    SetCC(reg, CC_N | CC_Z | CC_V | CC_C,
          uint8_t(NZ<T>(r) | (top != next ? CC_V : 0) | (top ? CC_C : 0)));
    return r;
}
template <class T> inline T Asl(REG09& reg, T m) {
    return Rol<T>(reg, m, 0);
}
template <class T> inline T Rol(REG09& reg, T m) {
    return Rol<T>(reg, m, reg.CC & CC_C);
}

template <class T> inline T Dec(REG09& reg, T m) {
    T r = T(m - 1);
    SetCC(reg, CC_N | CC_Z | CC_V, uint8_t(NZ<T>(r) | (m == kTop<T> ? CC_V : 0)));
    return r;
}

template <class T> inline T Inc(REG09& reg, T m) {
    T r = T(m + 1);
    SetCC(reg, CC_N | CC_Z | CC_V, uint8_t(NZ<T>(r) | (m == kTop<T> - 1 ? CC_V : 0)));
    return r;
}

template <class T> inline T Clr(REG09& reg) {
    SetCC(reg, CC_N | CC_Z | CC_V | CC_C, CC_Z);
    return 0;
}

// The read-modify-write and inherent operations by the low opcode nibble shared by
// page 0 ($0x, $4x-$7x) and the $10/$11 inherent rows. TST (D) and CLR (F) are
// handled by their callers since they do not both read and write.
template <unsigned Nib, class T> inline T Modify(REG09& reg, T m) {
    if constexpr (Nib == 0x0)
        return Neg<T>(reg, m);
    else if constexpr (Nib == 0x3)
        return Com<T>(reg, m);
    else if constexpr (Nib == 0x4)
        return Lsr<T>(reg, m);
    else if constexpr (Nib == 0x6)
        return Ror<T>(reg, m);
    else if constexpr (Nib == 0x7)
        return Asr<T>(reg, m);
    else if constexpr (Nib == 0x8)
        return Asl<T>(reg, m);
    else if constexpr (Nib == 0x9)
        return Rol<T>(reg, m);
    else if constexpr (Nib == 0xA)
        return Dec<T>(reg, m);
    else if constexpr (Nib == 0xC)
        return Inc<T>(reg, m);
    else if constexpr (Nib == 0xD)
        return Logic<T>(reg, m);
    else if constexpr (Nib == 0xF)
        return Clr<T>(reg);
    else
        static_assert(Nib == 0x0, "no such operation");
}

} // namespace cpu09
