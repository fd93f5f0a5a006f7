// Page 0, accumulator groups $80-$BF (A, CMPX, JSR/BSR, X) and $C0-$FF (B, D, U) in
// immediate, direct, indexed and extended addressing (opcode bits 5-4). The
// store-immediate positions and $CD trap.
#include "cpu6309/alu09.h"
#include "cpu6309/core09.h"

namespace cpu09 {
namespace {

// SUB CMP SBC - AND BIT LD ST EOR ADC OR ADD on an 8-bit register (low nibble).
// The operand is always fetched before the register is read: an indexed form may
// have stepped that register.
template <unsigned Nib, int M, bool IsB> inline void Byte(CSim09& c) {
    REG09& r = c.m_reg;
    auto get = [&r] { return IsB ? r.B() : r.A(); };
    auto set = [&r](uint8_t v) { IsB ? r.SetB(v) : r.SetA(v); };
    if constexpr (Nib == 0x7) {
        uint16_t ea = Address<M>(c);
        Write(c, ea, Logic<uint8_t>(r, get()));
    } else {
        uint8_t m = Operand8<M>(c);
        uint8_t a = get();
        if constexpr (Nib == 0x0)
            set(Sub<uint8_t>(r, a, m, 0));
        else if constexpr (Nib == 0x1)
            Sub<uint8_t>(r, a, m, 0);
        else if constexpr (Nib == 0x2)
            set(Sub<uint8_t>(r, a, m, r.CC & CC_C));
        else if constexpr (Nib == 0x4)
            set(Logic<uint8_t>(r, uint8_t(a & m)));
        else if constexpr (Nib == 0x5)
            Logic<uint8_t>(r, uint8_t(a & m));
        else if constexpr (Nib == 0x6)
            set(Logic<uint8_t>(r, m));
        else if constexpr (Nib == 0x8)
            set(Logic<uint8_t>(r, uint8_t(a ^ m)));
        else if constexpr (Nib == 0x9)
            set(Add<uint8_t>(r, a, m, r.CC & CC_C));
        else if constexpr (Nib == 0xA)
            set(Logic<uint8_t>(r, uint8_t(a | m)));
        else if constexpr (Nib == 0xB)
            set(Add<uint8_t>(r, a, m, 0));
        else
            static_assert(Nib == 0x0, "not a byte operation");
    }
}

// 16-bit store: the register is read after the address computation stepped it.
template <int M> inline void Store16(CSim09& c, uint16_t REG09::*reg) {
    uint16_t ea = Address<M>(c);
    Write16(c, ea, Logic<uint16_t>(c.m_reg, c.m_reg.*reg));
}

template <int M> inline void Jsr(CSim09& c) {
    REG09& r = c.m_reg;
    if constexpr (M == IMM) { // BSR
        uint16_t offset = SignExtend8(Fetch(c));
        Push16(c, r.S, r.PC);
        r.PC = uint16_t(r.PC + offset);
    } else {
        uint16_t ea = Address<M>(c); // an indexed form may move S before the push
        Push16(c, r.S, r.PC);
        r.PC = ea;
    }
}

template <unsigned Op> void Accumulator(CSim09& c) {
    constexpr int mode = (Op >> 4) & 3;
    constexpr unsigned nib = Op & 15;
    REG09& r = c.m_reg;
    if constexpr (Op < 0xC0) {
        if constexpr (nib == 0x3) {
            uint16_t m = Operand16<mode>(c);
            r.D = Sub<uint16_t>(r, r.D, m, 0);
        } else if constexpr (nib == 0xC) {
            uint16_t m = Operand16<mode>(c);
            Sub<uint16_t>(r, r.X, m, 0);
        } else if constexpr (nib == 0xD)
            Jsr<mode>(c);
        else if constexpr (nib == 0xE)
            r.X = Logic<uint16_t>(r, Operand16<mode>(c));
        else if constexpr (nib == 0xF)
            Store16<mode>(c, &REG09::X);
        else
            Byte<nib, mode, false>(c);
    } else {
        if constexpr (nib == 0x3) {
            uint16_t m = Operand16<mode>(c);
            r.D = Add<uint16_t>(r, r.D, m, 0);
        } else if constexpr (nib == 0xC)
            r.D = Logic<uint16_t>(r, Operand16<mode>(c));
        else if constexpr (nib == 0xD)
            Store16<mode>(c, &REG09::D);
        else if constexpr (nib == 0xE)
            r.U = Logic<uint16_t>(r, Operand16<mode>(c));
        else if constexpr (nib == 0xF)
            Store16<mode>(c, &REG09::U);
        else
            Byte<nib, mode, true>(c);
    }
}

} // namespace

void InstallPage0Acc(Handler* page0) {
    FillRange<0x80, 0x80>(page0, []<unsigned Op>() -> Handler {
        if constexpr (Op == 0x87 || Op == 0x8F || Op == 0xC7 || Op == 0xCD || Op == 0xCF)
            return nullptr; // stores to an immediate, and the 32-bit immediate load
        else
            return &Accumulator<Op>;
    });
}

} // namespace cpu09
