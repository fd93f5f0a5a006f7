// The $10 page: long conditional branches, register-to-register arithmetic,
// PSHSW/PULSW/PSHUW/PULUW, the inherent D and W operations, the 16-bit W/D/Y group
// in four addressing modes, LDS/STS and LDQ/STQ. SWI2 is in entries.cpp.
#include "cpu6309/alu09.h"
#include "cpu6309/core09.h"

namespace cpu09 {
namespace {

template <unsigned Op> void LongBranch(CSim09& c) {
    uint16_t offset = Fetch16(c);
    if (Condition(c.m_reg.CC, Op)) c.m_reg.PC = uint16_t(c.m_reg.PC + offset);
}

// ADDR ADCR SUBR SBCR ANDR ORR EORR CMPR: the destination's width decides the width;
// a byte source into a word is zero-extended, a word source into a byte gives its low
// byte. Flags first, then the result into the destination (so CC ends as the result).
template <unsigned Op, class T> inline T RegOp(REG09& r, T dst, T src) {
    constexpr unsigned n = Op & 7;
    if constexpr (n == 0)
        return Add<T>(r, dst, src, 0);
    else if constexpr (n == 1)
        return Add<T>(r, dst, src, r.CC & CC_C);
    else if constexpr (n == 2 || n == 7)
        return Sub<T>(r, dst, src, 0);
    else if constexpr (n == 3)
        return Sub<T>(r, dst, src, r.CC & CC_C);
    else if constexpr (n == 4)
        return Logic<T>(r, T(dst & src));
    else if constexpr (n == 5)
        return Logic<T>(r, T(dst | src));
    else
        return Logic<T>(r, T(dst ^ src));
}

template <unsigned Op> void RegisterToRegister(CSim09& c) {
    REG09& r = c.m_reg;
    uint8_t post = Fetch(c);
    unsigned src = post >> 4, dst = post & 15;
    uint16_t s = GetReg(r, src), d = GetReg(r, dst);
    uint16_t result = IsWideCode(dst) ? RegOp<Op, uint16_t>(r, d, s)
                                      : RegOp<Op, uint8_t>(r, uint8_t(d), uint8_t(s));
    if constexpr (Op != 0x37) SetReg(r, dst, result);
}

template <unsigned Op> void PushPullW(CSim09& c) {
    REG09& r = c.m_reg;
    uint16_t& sp = (Op == 0x38 || Op == 0x39) ? r.S : r.U;
    if constexpr (Op == 0x38 || Op == 0x3A) {
        Push16(c, sp, r.W);
    } else {
        r.W = Pull16(c, sp);
    }
}

// $10 $4x on D, $10 $5x on W.
template <unsigned Op> void Inherent(CSim09& c) {
    REG09& r = c.m_reg;
    uint16_t& reg = Op < 0x50 ? r.D : r.W;
    reg = Modify<Op & 15, uint16_t>(r, reg);
}

constexpr bool InherentDefined(unsigned op) {
    // NEGD COMD LSRD RORD ASRD ASLD ROLD DECD INCD TSTD CLRD; COMW LSRW RORW ROLW DECW
    // INCW TSTW CLRW.
    constexpr uint16_t kD = 0b1011'0111'1101'1001, kW = 0b1011'0110'0101'1000;
    return ((op < 0x50 ? kD : kW) >> (op & 15)) & 1;
}

// Rows $8x-$Bx: SUBW CMPW SBCD CMPD ANDD BITD LDW STW EORD ADCD ORD ADDW CMPY - LDY STY.
template <unsigned Op> void Word(CSim09& c) {
    constexpr int mode = (Op >> 4) & 3;
    constexpr unsigned nib = Op & 15;
    REG09& r = c.m_reg;
    if constexpr (nib == 0x7 || nib == 0xF) {
        uint16_t ea = Address<mode>(c);
        Write16(c, ea, Logic<uint16_t>(r, nib == 0x7 ? r.W : r.Y));
    } else {
        uint16_t m = Operand16<mode>(c);
        uint16_t cin = r.CC & CC_C;
        if constexpr (nib == 0x0)
            r.W = Sub<uint16_t>(r, r.W, m, 0);
        else if constexpr (nib == 0x1)
            Sub<uint16_t>(r, r.W, m, 0);
        else if constexpr (nib == 0x2)
            r.D = Sub<uint16_t>(r, r.D, m, cin);
        else if constexpr (nib == 0x3)
            Sub<uint16_t>(r, r.D, m, 0);
        else if constexpr (nib == 0x4)
            r.D = Logic<uint16_t>(r, uint16_t(r.D & m));
        else if constexpr (nib == 0x5)
            Logic<uint16_t>(r, uint16_t(r.D & m));
        else if constexpr (nib == 0x6)
            r.W = Logic<uint16_t>(r, m);
        else if constexpr (nib == 0x8)
            r.D = Logic<uint16_t>(r, uint16_t(r.D ^ m));
        else if constexpr (nib == 0x9)
            r.D = Add<uint16_t>(r, r.D, m, cin);
        else if constexpr (nib == 0xA)
            r.D = Logic<uint16_t>(r, uint16_t(r.D | m));
        else if constexpr (nib == 0xB)
            r.W = Add<uint16_t>(r, r.W, m, 0);
        else if constexpr (nib == 0xC)
            Sub<uint16_t>(r, r.Y, m, 0);
        else if constexpr (nib == 0xE)
            r.Y = Logic<uint16_t>(r, m);
        else
            static_assert(nib == 0x0, "not in the row");
    }
}

constexpr bool WordDefined(unsigned op) {
    unsigned n = op & 15;
    return n != 0xD && !(op < 0x90 && (n == 0x7 || n == 0xF));
}

template <unsigned Op> void Lds(CSim09& c) {
    c.m_reg.S = Logic<uint16_t>(c.m_reg, Operand16<(Op >> 4) & 3>(c));
}

template <unsigned Op> void Sts(CSim09& c) {
    uint16_t ea = Address<(Op >> 4) & 3>(c);
    Write16(c, ea, Logic<uint16_t>(c.m_reg, c.m_reg.S));
}

// LDQ reads EA+1, EA, EA+2, EA+3; STQ writes EA to EA+3 in ascending order.
template <unsigned Op> void Ldq(CSim09& c) {
    REG09& r = c.m_reg;
    uint16_t ea = Address<(Op >> 4) & 3>(c);
    uint16_t d = Read16(c, ea);
    uint8_t e = Read(c, uint16_t(ea + 2));
    uint8_t f = Read(c, uint16_t(ea + 3));
    r.D = d;
    r.W = uint16_t(e << 8 | f);
    SetCC(r, CC_N | CC_Z | CC_V, NZ32(r.Q()));
}

template <unsigned Op> void Stq(CSim09& c) {
    REG09& r = c.m_reg;
    uint16_t ea = Address<(Op >> 4) & 3>(c);
    Write16(c, ea, r.D);
    Write16(c, uint16_t(ea + 2), r.W);
    SetCC(r, CC_N | CC_Z | CC_V, NZ32(r.Q()));
}

} // namespace

void InstallPage10(Handler* page10) {
    FillRange<0x21, 0x0F>(page10, []<unsigned Op>() -> Handler { return &LongBranch<Op>; });
    FillRange<0x30, 0x08>(page10, []<unsigned Op>() -> Handler { return &RegisterToRegister<Op>; });
    FillRange<0x38, 0x04>(page10, []<unsigned Op>() -> Handler { return &PushPullW<Op>; });
    FillRange<0x40, 0x20>(page10, []<unsigned Op>() -> Handler {
        if constexpr (InherentDefined(Op))
            return &Inherent<Op>;
        else
            return nullptr;
    });
    FillRange<0x80, 0x40>(page10, []<unsigned Op>() -> Handler {
        if constexpr (WordDefined(Op))
            return &Word<Op>;
        else
            return nullptr;
    });
    page10[0xCE] = &Lds<0xCE>;
    page10[0xDE] = &Lds<0xDE>;
    page10[0xEE] = &Lds<0xEE>;
    page10[0xFE] = &Lds<0xFE>;
    page10[0xDF] = &Sts<0xDF>;
    page10[0xEF] = &Sts<0xEF>;
    page10[0xFF] = &Sts<0xFF>;
    page10[0xDC] = &Ldq<0xDC>;
    page10[0xEC] = &Ldq<0xEC>;
    page10[0xFC] = &Ldq<0xFC>;
    page10[0xDD] = &Stq<0xDD>;
    page10[0xED] = &Stq<0xED>;
    page10[0xFD] = &Stq<0xFD>;
}

} // namespace cpu09
