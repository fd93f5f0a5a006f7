// The $11 page, bit and block part: the single-bit transfers BAND ... STBT between CC,
// A, B (or a scratch byte) and a direct-page byte, the block transfer TFM, which moves
// its whole block inside one Execute, and BITMD/LDMD on the mode register.
#include "cpu6309/alu09.h"
#include "cpu6309/core09.h"

namespace cpu09 {
namespace {

// Postbyte: bits 7-6 register (CC, A, B, scratch), 5-3 source bit, 2-0 destination bit.
template <unsigned Op> void BitTransfer(CSim09& c) {
    REG09& r = c.m_reg;
    uint8_t post = Fetch(c);
    uint16_t ea = DirectAddress(c);
    uint8_t m = Read(c, ea);
    unsigned sel = post >> 6;
    uint8_t reg = sel == 0 ? r.CC : sel == 1 ? r.A() : sel == 2 ? r.B() : 0;
    uint8_t srcMask = uint8_t(1 << ((post >> 3) & 7)), dstMask = uint8_t(1 << (post & 7));
    if constexpr (Op == 0x37) { // STBT: the register's bit into memory, always written
        m = (reg & srcMask) ? uint8_t(m | dstMask) : uint8_t(m & ~dstMask);
        Write(c, ea, m);
        return;
    } else {
        bool bit = m & srcMask;
        if constexpr (Op == 0x30) {
            if (!bit) reg &= ~dstMask;
        } else if constexpr (Op == 0x31) {
            if (bit) reg &= ~dstMask;
        } else if constexpr (Op == 0x32) {
            if (bit) reg |= dstMask;
        } else if constexpr (Op == 0x33) {
            if (!bit) reg |= dstMask;
        } else if constexpr (Op == 0x34) {
            if (bit) reg ^= dstMask;
        } else if constexpr (Op == 0x35) {
            if (!bit) reg ^= dstMask;
        } else
            reg = bit ? uint8_t(reg | dstMask) : uint8_t(reg & ~dstMask);
        if (sel == 0)
            r.CC = reg;
        else if (sel == 1)
            r.SetA(reg);
        else if (sel == 2)
            r.SetB(reg);
    }
}

constexpr uint16_t REG09::*kPointer[5] = {&REG09::D, &REG09::X, &REG09::Y, &REG09::U, &REG09::S};

// $38 both up, $39 both down, $3A source up, $3B destination up. Only D, X, Y, U and S
// are pointers; any other postbyte traps with nothing moved.
template <unsigned Op> void Tfm(CSim09& c) {
    REG09& r = c.m_reg;
    uint8_t post = Fetch(c);
    if (post > 0x44 || (post & 15) > 4) {
        TrapIllegal(c);
        return;
    }
    uint16_t& src = r.*kPointer[post >> 4];
    uint16_t& dst = r.*kPointer[post & 15];
    constexpr int srcStep = Op == 0x39 ? -1 : Op == 0x3B ? 0 : 1;
    constexpr int dstStep = Op == 0x39 ? -1 : Op == 0x3A ? 0 : 1;
    while (r.W != 0) {
        uint8_t v = Read(c, src);
        src = uint16_t(src + srcStep);
        Write(c, dst, v);
        dst = uint16_t(dst + dstStep);
        r.W = uint16_t(r.W - 1);
    }
}

void OpBitmd(CSim09& c) {
    REG09& r = c.m_reg;
    uint8_t m = Fetch(c);
    SetCC(r, CC_Z, (r.MD & m) == 0 ? CC_Z : 0);
    r.MD &= ~(MD_IL | MD_DZ);
}

void OpLdmd(CSim09& c) {
    c.m_reg.MD = Fetch(c);
}

} // namespace

void InstallPage11Bits(Handler* page11) {
    FillRange<0x30, 0x08>(page11, []<unsigned Op>() -> Handler { return &BitTransfer<Op>; });
    FillRange<0x38, 0x04>(page11, []<unsigned Op>() -> Handler { return &Tfm<Op>; });
    page11[0x3C] = &OpBitmd;
    page11[0x3D] = &OpLdmd;
}

} // namespace cpu09
