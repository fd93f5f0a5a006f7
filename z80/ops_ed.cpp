// The ED page: port I/O through C, 16-bit ADC/SBC and loads, NEG, RETN/RETI, the I and
// R registers, RRD/RLD and the block instructions. Only $40-$BB are decoded; every other
// second byte, and every gap among them, does nothing beyond the two fetches.
#include <utility>

#include "z80/alu.h"

namespace z80 {
namespace {

void Nothing(CSimZ80&) {}

template <int rc> void InRC(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    uint8_t v = z.InPort(Lo(r.BC));
    z.SetReg8(rc, v);
    SetSZP(r, v);
    r.fH = 0;
    r.fN = 0;
}
template <int rc> void OutCR(CSimZ80& z) {
    z.OutPort(Lo(z.m_reg.BC), z.GetReg8(rc));
}

template <int p> void SbcHl(CSimZ80& z) {
    Sbc16(z, Pair<p>(z.m_reg));
}
template <int p> void AdcHl(CSimZ80& z) {
    Adc16(z, Pair<p>(z.m_reg));
}
template <int p> void LdNnPair(CSimZ80& z) {
    z.WriteWord(z.FetchWord(), Pair<p>(z.m_reg));
}
template <int p> void LdPairInd(CSimZ80& z) {
    Pair<p>(z.m_reg) = z.ReadWord(z.FetchWord());
}

void Neg(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    uint8_t a = r.A();
    uint8_t res = uint8_t(0 - a);
    z.m_nTemp = -a;
    r.fS = res >> 7;
    r.fZ = res == 0;
    r.fH = ((a ^ res) >> 4) & 1;
    r.fPV = a == 0x80;
    r.fN = 1;
    r.fC = a != 0;
    r.SetA(res);
}

void Retn(CSimZ80& z) {
    z.m_reg.IFF1 = z.m_reg.IFF2;
    z.m_reg.PC = z.Pop();
}
void Reti(CSimZ80& z) {
    z.m_reg.PC = z.Pop();
}

// R never counts: it holds what LD R,A stored last.
void LdIA(CSimZ80& z) {
    SetLo(z.m_reg.RI, z.m_reg.A());
}
void LdRA(CSimZ80& z) {
    SetHi(z.m_reg.RI, z.m_reg.A());
}
void LdAI(CSimZ80& z) {
    z.m_reg.SetA(Lo(z.m_reg.RI));
}
void LdAR(CSimZ80& z) {
    z.m_reg.SetA(Hi(z.m_reg.RI));
}

void RotateDigit(CSimZ80& z, uint8_t mem, uint8_t a) {
    REGZ80& r = z.m_reg;
    z.WriteMem(r.HL, mem);
    r.SetA(a);
    SetSZP(r, a);
    r.fH = 0;
    r.fN = 0;
}
void Rrd(CSimZ80& z) {
    uint8_t v = z.ReadMem(z.m_reg.HL);
    uint8_t a = z.m_reg.A();
    RotateDigit(z, uint8_t((a << 4) | (v >> 4)), uint8_t((a & 0xF0) | (v & 0x0F)));
}
void Rld(CSimZ80& z) {
    uint8_t v = z.ReadMem(z.m_reg.HL);
    uint8_t a = z.m_reg.A();
    RotateDigit(z, uint8_t((v << 4) | (a & 0x0F)), uint8_t((a & 0xF0) | (v >> 4)));
}

// Block instructions: dir +1 (LDI CPI INI OUTI) or -1; the repeating forms run every
// step inside this one call.
template <int dir> void LdStep(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    uint8_t v = z.ReadMem(r.HL);
    z.WriteMem(r.DE, v);
    r.DE = uint16_t(r.DE + dir);
    r.HL = uint16_t(r.HL + dir);
    r.BC--;
    r.fH = 0;
    r.fN = 0;
    r.fPV = r.BC != 0;
}
template <int dir> void Ld(CSimZ80& z) {
    LdStep<dir>(z);
}
template <int dir> void Ldr(CSimZ80& z) {
    do
        LdStep<dir>(z);
    while (z.m_reg.BC != 0);
}

template <int dir> uint8_t CpStep(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    uint8_t a = r.A();
    uint8_t v = z.ReadMem(r.HL);
    r.HL = uint16_t(r.HL + dir);
    uint8_t res = uint8_t(a - v);
    r.BC--;
    r.fS = res >> 7;
    r.fZ = res == 0;
    r.fH = ((a ^ v ^ res) >> 4) & 1;
    r.fPV = r.BC != 0;
    r.fN = 1;
    return res;
}
template <int dir> void Cp(CSimZ80& z) {
    CpStep<dir>(z);
}
template <int dir> void Cpr(CSimZ80& z) {
    while (CpStep<dir>(z) != 0 && z.m_reg.BC != 0) {
    }
}

template <int dir> void InStep(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    uint8_t v = z.InPort(Lo(r.BC));
    z.WriteMem(r.HL, v);
    r.HL = uint16_t(r.HL + dir);
    uint8_t b = uint8_t(Hi(r.BC) - 1);
    SetHi(r.BC, b);
    r.fZ = b == 0;
    r.fN = 1;
}
template <int dir> void OutStep(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    uint8_t v = z.ReadMem(r.HL);
    r.HL = uint16_t(r.HL + dir);
    z.OutPort(Lo(r.BC), v);
    uint8_t b = uint8_t(Hi(r.BC) - 1);
    SetHi(r.BC, b);
    r.fZ = b == 0;
    r.fN = 1;
}
template <void (*step)(CSimZ80&)> void Once(CSimZ80& z) {
    step(z);
}
template <void (*step)(CSimZ80&)> void UntilB0(CSimZ80& z) {
    do
        step(z);
    while (Hi(z.m_reg.BC) != 0);
}

constexpr std::array<OpFn, 256> MakeTable() {
    std::array<OpFn, 256> t{};
    for (auto& f : t)
        f = Nothing;
    t[0x40] = InRC<0>, t[0x48] = InRC<1>, t[0x50] = InRC<2>, t[0x58] = InRC<3>;
    t[0x60] = InRC<4>, t[0x68] = InRC<5>, t[0x78] = InRC<7>;
    t[0x41] = OutCR<0>, t[0x49] = OutCR<1>, t[0x51] = OutCR<2>, t[0x59] = OutCR<3>;
    t[0x61] = OutCR<4>, t[0x69] = OutCR<5>, t[0x79] = OutCR<7>;
    t[0x42] = SbcHl<0>, t[0x52] = SbcHl<1>, t[0x62] = SbcHl<2>, t[0x72] = SbcHl<3>;
    t[0x4A] = AdcHl<0>, t[0x5A] = AdcHl<1>, t[0x6A] = AdcHl<2>, t[0x7A] = AdcHl<3>;
    t[0x43] = LdNnPair<0>, t[0x53] = LdNnPair<1>, t[0x63] = LdNnPair<2>, t[0x73] = LdNnPair<3>;
    t[0x4B] = LdPairInd<0>, t[0x5B] = LdPairInd<1>, t[0x6B] = LdPairInd<2>;
    t[0x7B] = LdPairInd<3>;
    t[0x44] = Neg, t[0x45] = Retn, t[0x4D] = Reti;
    t[0x47] = LdIA, t[0x4F] = LdRA, t[0x57] = LdAI, t[0x5F] = LdAR;
    t[0x67] = Rrd, t[0x6F] = Rld;
    t[0xA0] = Ld<1>, t[0xA8] = Ld<-1>, t[0xB0] = Ldr<1>, t[0xB8] = Ldr<-1>;
    t[0xA1] = Cp<1>, t[0xA9] = Cp<-1>, t[0xB1] = Cpr<1>, t[0xB9] = Cpr<-1>;
    t[0xA2] = Once<InStep<1>>, t[0xAA] = Once<InStep<-1>>;
    t[0xB2] = UntilB0<InStep<1>>, t[0xBA] = UntilB0<InStep<-1>>;
    t[0xA3] = Once<OutStep<1>>, t[0xAB] = Once<OutStep<-1>>;
    t[0xB3] = UntilB0<OutStep<1>>, t[0xBB] = UntilB0<OutStep<-1>>;
    return t;
}

constexpr std::array<OpFn, 256> kEdOps = MakeTable();

} // namespace
} // namespace z80

void CSimZ80::ExecED() {
    uint8_t op = FetchByte();
    z80::kEdOps[op](*this);
}
