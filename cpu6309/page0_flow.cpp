// Page 0, flow and stack: the short branches (offset read also when not taken),
// LEAX/LEAY/LEAS/LEAU, PSHS/PULS/PSHU/PULU and RTS.
#include "cpu6309/alu09.h"
#include "cpu6309/core09.h"

namespace cpu09 {
namespace {

template <unsigned Op> void Branch(CSim09& c) {
    uint8_t offset = Fetch(c);
    if (Condition(c.m_reg.CC, Op)) c.m_reg.PC = uint16_t(c.m_reg.PC + SignExtend8(offset));
}

template <unsigned Op> void Lea(CSim09& c) {
    REG09& r = c.m_reg;
    uint16_t ea = IndexedAddress(c);
    if constexpr (Op == 0x30 || Op == 0x31) {
        (Op == 0x30 ? r.X : r.Y) = ea;
        SetCC(r, CC_Z, ea == 0 ? CC_Z : 0);
    } else {
        (Op == 0x32 ? r.S : r.U) = ea;
    }
}

// Postbyte bits: 7 PC, 6 U (S for the U stack), 5 Y, 4 X, 3 DP, 2 B, 1 A, 0 CC.
// Pushes go from bit 7 down, pulls from bit 0 up.
template <bool OnS> void Push(CSim09& c) {
    REG09& r = c.m_reg;
    uint8_t post = Fetch(c);
    uint16_t& sp = OnS ? r.S : r.U;
    if (post & 0x80) Push16(c, sp, r.PC);
    if (post & 0x40) Push16(c, sp, OnS ? r.U : r.S);
    if (post & 0x20) Push16(c, sp, r.Y);
    if (post & 0x10) Push16(c, sp, r.X);
    if (post & 0x08) Push8(c, sp, r.DP);
    if (post & 0x04) Push8(c, sp, r.B());
    if (post & 0x02) Push8(c, sp, r.A());
    if (post & 0x01) Push8(c, sp, r.CC);
}

template <bool OnS> void Pull(CSim09& c) {
    REG09& r = c.m_reg;
    uint8_t post = Fetch(c);
    uint16_t& sp = OnS ? r.S : r.U;
    if (post & 0x01) r.CC = Pull8(c, sp);
    if (post & 0x02) r.SetA(Pull8(c, sp));
    if (post & 0x04) r.SetB(Pull8(c, sp));
    if (post & 0x08) r.DP = Pull8(c, sp);
    if (post & 0x10) r.X = Pull16(c, sp);
    if (post & 0x20) r.Y = Pull16(c, sp);
    if (post & 0x40) (OnS ? r.U : r.S) = Pull16(c, sp);
    if (post & 0x80) r.PC = Pull16(c, sp);
}

void OpRts(CSim09& c) {
    c.m_reg.PC = Pull16(c, c.m_reg.S);
}

} // namespace

void InstallPage0Flow(Handler* page0) {
    FillRange<0x20, 0x10>(page0, []<unsigned Op>() -> Handler { return &Branch<Op>; });
    FillRange<0x30, 0x04>(page0, []<unsigned Op>() -> Handler { return &Lea<Op>; });
    page0[0x34] = &Push<true>;
    page0[0x35] = &Pull<true>;
    page0[0x36] = &Push<false>;
    page0[0x37] = &Pull<false>;
    page0[0x39] = &OpRts;
}

} // namespace cpu09
