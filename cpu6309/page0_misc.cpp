// Page 0, inherent and miscellaneous: NOP, SYNC (a NOP here), SEXW, LBRA, LBSR, DAA,
// ORCC, ANDCC, SEX, EXG, TFR, ABX and MUL.
#include "cpu6309/alu09.h"
#include "cpu6309/core09.h"

namespace cpu09 {
namespace {

void OpNop(CSim09&) {}

void OpSexw(CSim09& c) {
    REG09& r = c.m_reg;
    r.D = (r.W & 0x8000) ? 0xFFFF : 0x0000;
    SetCC(r, CC_N | CC_Z, NZ<uint16_t>(r.W));
}

void OpLbra(CSim09& c) {
    uint16_t offset = Fetch16(c);
    c.m_reg.PC = uint16_t(c.m_reg.PC + offset);
}

void OpLbsr(CSim09& c) {
    REG09& r = c.m_reg;
    uint16_t offset = Fetch16(c);
    Push16(c, r.S, r.PC);
    r.PC = uint16_t(r.PC + offset);
}

void OpDaa(CSim09& c) {
    REG09& r = c.m_reg;
    unsigned a = r.A(), lo = a & 0x0F, hi = a >> 4;
    unsigned fix = 0;
    if ((r.CC & CC_H) || lo > 9) fix |= 0x06;
    if ((r.CC & CC_C) || hi > 9 || (hi > 8 && lo > 9)) fix |= 0x60;
    unsigned sum = a + fix;
    r.SetA(uint8_t(sum));
    // C is only ever set here, never cleared.
    SetCC(r, CC_N | CC_Z, uint8_t(NZ<uint8_t>(uint8_t(sum)) | (sum > 0xFF ? CC_C : 0)));
}

void OpOrcc(CSim09& c) {
    uint8_t m = Fetch(c);
    c.m_reg.CC |= m;
}

void OpAndcc(CSim09& c) {
    uint8_t m = Fetch(c);
    c.m_reg.CC &= m;
}

void OpSex(CSim09& c) {
    REG09& r = c.m_reg;
    r.SetA((r.B() & 0x80) ? 0xFF : 0x00);
    SetCC(r, CC_N | CC_Z, NZ<uint8_t>(r.B()));
}

// EXG: first = old second, then second = old first; an 8-bit value written into a
// 16-bit register is zero-extended, a 16-bit one into an 8-bit register gives its
// low byte. Overlapping registers (D and A) end as the later write leaves them.
void OpExg(CSim09& c) {
    REG09& r = c.m_reg;
    uint8_t post = Fetch(c);
    unsigned first = post >> 4, second = post & 15;
    uint16_t a = GetReg(r, first), b = GetReg(r, second);
    SetReg(r, first, b);
    SetReg(r, second, a);
}

// TFR: an 8-bit source into a 16-bit register replaces only its low byte.
void OpTfr(CSim09& c) {
    REG09& r = c.m_reg;
    uint8_t post = Fetch(c);
    unsigned src = post >> 4, dst = post & 15;
    uint16_t v = GetReg(r, src);
    if (IsWideCode(dst) && !IsWideCode(src)) v = uint16_t((GetReg(r, dst) & 0xFF00) | v);
    SetReg(r, dst, v);
}

void OpAbx(CSim09& c) {
    c.m_reg.X = uint16_t(c.m_reg.X + c.m_reg.B());
}

void OpMul(CSim09& c) {
    REG09& r = c.m_reg;
    r.D = uint16_t(r.A() * r.B());
    SetCC(r, CC_Z | CC_C, uint8_t((r.D == 0 ? CC_Z : 0) | ((r.D & 0x80) ? CC_C : 0)));
}

} // namespace

void InstallPage0Misc(Handler* page0) {
    page0[0x12] = &OpNop;
    page0[0x13] = &OpNop;
    page0[0x14] = &OpSexw;
    page0[0x16] = &OpLbra;
    page0[0x17] = &OpLbsr;
    page0[0x19] = &OpDaa;
    page0[0x1A] = &OpOrcc;
    page0[0x1C] = &OpAndcc;
    page0[0x1D] = &OpSex;
    page0[0x1E] = &OpExg;
    page0[0x1F] = &OpTfr;
    page0[0x3A] = &OpAbx;
    page0[0x3D] = &OpMul;
}

} // namespace cpu09
