// The DD and FD pages: one body for both, working on the index register it is given.
// H and L are always the registers H and L, never halves of the index register. A
// second byte outside the page does nothing: only the prefix and that byte are consumed.
#include <utility>

#include "z80/alu.h"

namespace z80 {
namespace {

void Nothing(CSimZ80&, uint16_t&) {}

uint16_t Displaced(CSimZ80& z, uint16_t ix) {
    return uint16_t(ix + int8_t(z.FetchByte()));
}

template <int p> void AddIx(CSimZ80& z, uint16_t& ix) {
    if constexpr (p == 2)
        Add16(z, ix, ix);
    else
        Add16(z, ix, Pair<p>(z.m_reg));
}
void LdIxNn(CSimZ80& z, uint16_t& ix) {
    ix = z.FetchWord();
}
void LdNnIx(CSimZ80& z, uint16_t& ix) {
    z.WriteWord(z.FetchWord(), ix);
}
void LdIxInd(CSimZ80& z, uint16_t& ix) {
    ix = z.ReadWord(z.FetchWord());
}
void IncIx(CSimZ80&, uint16_t& ix) {
    ix++;
}
void DecIx(CSimZ80&, uint16_t& ix) {
    ix--;
}

void IncInd(CSimZ80& z, uint16_t& ix) {
    uint16_t addr = Displaced(z, ix);
    z.WriteMem(addr, Inc8(z.m_reg, z.ReadMem(addr)));
}
void DecInd(CSimZ80& z, uint16_t& ix) {
    uint16_t addr = Displaced(z, ix);
    z.WriteMem(addr, Dec8(z.m_reg, z.ReadMem(addr)));
}
void LdIndN(CSimZ80& z, uint16_t& ix) {
    uint16_t addr = Displaced(z, ix);
    uint8_t n = z.FetchByte();
    z.WriteMem(addr, n);
}
template <int rc> void LdRInd(CSimZ80& z, uint16_t& ix) {
    uint16_t addr = Displaced(z, ix);
    z.SetReg8(rc, z.ReadMem(addr));
}
template <int rc> void LdIndR(CSimZ80& z, uint16_t& ix) {
    uint16_t addr = Displaced(z, ix);
    z.WriteMem(addr, z.GetReg8(rc));
}
template <int op> void AluInd(CSimZ80& z, uint16_t& ix) {
    uint16_t addr = Displaced(z, ix);
    Alu<op>(z, z.ReadMem(addr));
}

void Cb(CSimZ80& z, uint16_t& ix) {
    z.ExecCB(&ix);
}
void PopIx(CSimZ80& z, uint16_t& ix) {
    ix = z.Pop();
}
void PushIx(CSimZ80& z, uint16_t& ix) {
    z.Push(ix);
}
void ExSpIx(CSimZ80& z, uint16_t& ix) {
    uint16_t v = z.ReadWord(z.m_reg.SP);
    z.WriteWord(z.m_reg.SP, ix);
    ix = v;
}
void JpIx(CSimZ80& z, uint16_t& ix) {
    z.m_reg.PC = ix;
}
void LdSpIx(CSimZ80& z, uint16_t& ix) {
    z.m_reg.SP = ix;
}

constexpr IndexOpFn kLdRInd[8] = {LdRInd<0>, LdRInd<1>, LdRInd<2>, LdRInd<3>,
                                  LdRInd<4>, LdRInd<5>, nullptr,   LdRInd<7>};
constexpr IndexOpFn kLdIndR[8] = {LdIndR<0>, LdIndR<1>, LdIndR<2>, LdIndR<3>,
                                  LdIndR<4>, LdIndR<5>, nullptr,   LdIndR<7>};
constexpr IndexOpFn kAluInd[8] = {AluInd<0>, AluInd<1>, AluInd<2>, AluInd<3>,
                                  AluInd<4>, AluInd<5>, AluInd<6>, AluInd<7>};

constexpr std::array<IndexOpFn, 256> MakeTable() {
    std::array<IndexOpFn, 256> t{};
    for (auto& f : t)
        f = Nothing;
    t[0x09] = AddIx<0>, t[0x19] = AddIx<1>, t[0x29] = AddIx<2>, t[0x39] = AddIx<3>;
    t[0x21] = LdIxNn, t[0x22] = LdNnIx, t[0x2A] = LdIxInd;
    t[0x23] = IncIx, t[0x2B] = DecIx;
    t[0x34] = IncInd, t[0x35] = DecInd, t[0x36] = LdIndN;
    for (int rc = 0; rc < 8; ++rc) {
        if (rc != 6) {
            t[0x46 | rc << 3] = kLdRInd[rc];
            t[0x70 | rc] = kLdIndR[rc];
        }
        t[0x86 | rc << 3] = kAluInd[rc];
    }
    t[0xCB] = Cb;
    t[0xE1] = PopIx, t[0xE5] = PushIx, t[0xE3] = ExSpIx;
    t[0xE9] = JpIx, t[0xF9] = LdSpIx;
    return t;
}

constexpr std::array<IndexOpFn, 256> kIndexOps = MakeTable();

} // namespace
} // namespace z80

void CSimZ80::ExecIndexed(uint16_t& index) {
    uint8_t op = FetchByte();
    z80::kIndexOps[op](*this, index);
}
