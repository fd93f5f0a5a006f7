// The $11 page, register and arithmetic part: the inherent E and F operations, the
// E group with CMPU, CMPS, DIVD, DIVQ and MULD ($8x-$Bx), and the F group ($Cx-$Fx).
// A zero divisor traps after its operand bytes were fetched, with D, W and the flags
// untouched. Bit transfers, TFM, BITMD, LDMD are in page11_bits.cpp, SWI3 in
// entries.cpp.
#include "cpu6309/alu09.h"
#include "cpu6309/core09.h"

namespace cpu09 {
namespace {

// $11 $4x on E, $11 $5x on F: COM DEC INC TST CLR.
template <unsigned Op> void Inherent(CSim09& c) {
    REG09& r = c.m_reg;
    if constexpr (Op < 0x50)
        r.SetE(Modify<Op & 15, uint8_t>(r, r.E()));
    else
        r.SetF(Modify<Op & 15, uint8_t>(r, r.F()));
}

constexpr bool InherentDefined(unsigned op) {
    unsigned n = op & 15;
    return n == 0x3 || n == 0xA || n == 0xC || n == 0xD || n == 0xF;
}

// SUB CMP - - - - LD ST - - - ADD on E ($8x-$Bx) or F ($Cx-$Fx).
template <unsigned Op> void Byte(CSim09& c) {
    constexpr int mode = (Op >> 4) & 3;
    constexpr unsigned nib = Op & 15;
    constexpr bool isF = Op >= 0xC0;
    REG09& r = c.m_reg;
    auto set = [&r](uint8_t v) { isF ? r.SetF(v) : r.SetE(v); };
    if constexpr (nib == 0x7) {
        uint16_t ea = Address<mode>(c);
        Write(c, ea, Logic<uint8_t>(r, isF ? r.F() : r.E()));
    } else {
        uint8_t m = Operand8<mode>(c);
        uint8_t v = isF ? r.F() : r.E();
        if constexpr (nib == 0x0)
            set(Sub<uint8_t>(r, v, m, 0));
        else if constexpr (nib == 0x1)
            Sub<uint8_t>(r, v, m, 0);
        else if constexpr (nib == 0x6)
            set(Logic<uint8_t>(r, m));
        else if constexpr (nib == 0xB)
            set(Add<uint8_t>(r, v, m, 0));
        else
            static_assert(nib == 0x0, "not in the row");
    }
}

template <int M> void Divd(CSim09& c) {
    REG09& r = c.m_reg;
    int divisor = int8_t(Operand8<M>(c));
    if (divisor == 0) {
        TrapDivideByZero(c);
        return;
    }
    int dividend = int16_t(r.D);
    int q = dividend / divisor, rem = dividend % divisor;
    r.SetB(uint8_t(q));
    r.SetA(uint8_t(rem));
    SetCC(r, CC_N | CC_Z | CC_V | CC_C,
          uint8_t(NZ<uint8_t>(r.B()) | (q & 1) | (q < -128 || q > 127 ? CC_V : 0)));
}

template <int M> void Divq(CSim09& c) {
    REG09& r = c.m_reg;
    int64_t divisor = int16_t(Operand16<M>(c));
    if (divisor == 0) {
        TrapDivideByZero(c);
        return;
    }
    int64_t dividend = int32_t(r.Q());
    int64_t q = dividend / divisor, rem = dividend % divisor;
    r.W = uint16_t(q);
    r.D = uint16_t(rem);
    SetCC(r, CC_N | CC_Z | CC_V | CC_C,
          uint8_t(NZ<uint16_t>(r.W) | (q & 1) | (q < -32768 || q > 32767 ? CC_V : 0)));
}

template <int M> void Muld(CSim09& c) {
    REG09& r = c.m_reg;
    int32_t m = int16_t(Operand16<M>(c));
    r.SetQ(uint32_t(int32_t(int16_t(r.D)) * m));
    SetCC(r, CC_N | CC_Z, NZ32(r.Q()));
}

template <unsigned Op> void Row(CSim09& c) {
    constexpr int mode = (Op >> 4) & 3;
    constexpr unsigned nib = Op & 15;
    REG09& r = c.m_reg;
    if constexpr (nib == 0x3 || nib == 0xC) {
        uint16_t m = Operand16<mode>(c);
        Sub<uint16_t>(r, nib == 0x3 ? r.U : r.S, m, 0);
    } else if constexpr (nib == 0xD)
        Divd<mode>(c);
    else if constexpr (nib == 0xE)
        Divq<mode>(c);
    else if constexpr (nib == 0xF)
        Muld<mode>(c);
    else
        Byte<Op>(c);
}

constexpr bool RowDefined(unsigned op) {
    unsigned n = op & 15;
    bool immediate = ((op >> 4) & 3) == 0;
    if (op < 0xC0) // SUBE CMPE CMPU LDE STE ADDE CMPS DIVD DIVQ MULD
        return n == 0 || n == 1 || n == 3 || n == 6 || (n == 7 && !immediate) || n >= 0xB;
    return n == 0 || n == 1 || n == 6 || (n == 7 && !immediate) || n == 0xB;
}

} // namespace

void InstallPage11(Handler* page11) {
    FillRange<0x40, 0x20>(page11, []<unsigned Op>() -> Handler {
        if constexpr (InherentDefined(Op))
            return &Inherent<Op>;
        else
            return nullptr;
    });
    FillRange<0x80, 0x80>(page11, []<unsigned Op>() -> Handler {
        if constexpr (RowDefined(Op))
            return &Row<Op>;
        else
            return nullptr;
    });
}

} // namespace cpu09
