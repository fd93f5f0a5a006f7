// The unprefixed opcode page: one handler per opcode, each instantiated from a family
// body with the register, pair, condition or operation code taken from the opcode bits.
#include <utility>

#include "z80/alu.h"

namespace z80 {
namespace {

void Nop(CSimZ80&) {}

void ExAfAf(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    SetLo(r.AF, z.AssembleF());
    std::swap(r.AF, r.AF2);
    z.LoadF(Lo(r.AF));
}

void Djnz(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    int8_t e = int8_t(z.FetchByte());
    uint8_t b = uint8_t(Hi(r.BC) - 1);
    SetHi(r.BC, b);
    if (b != 0) r.PC = uint16_t(r.PC + e);
}

// cc < 0: JR e.
template <int cc> void Jr(CSimZ80& z) {
    int8_t e = int8_t(z.FetchByte());
    if constexpr (cc >= 0) {
        if (!Cond<cc>(z.m_reg)) return;
    }
    z.m_reg.PC = uint16_t(z.m_reg.PC + e);
}

template <int p> void LdPairNn(CSimZ80& z) {
    Pair<p>(z.m_reg) = z.FetchWord();
}
template <int p> void AddHlPair(CSimZ80& z) {
    Add16(z, z.m_reg.HL, Pair<p>(z.m_reg));
}
template <int p> void IncPair(CSimZ80& z) {
    Pair<p>(z.m_reg)++;
}
template <int p> void DecPair(CSimZ80& z) {
    Pair<p>(z.m_reg)--;
}

template <int p> void LdIndA(CSimZ80& z) {
    z.WriteMem(Pair<p>(z.m_reg), z.m_reg.A());
}
template <int p> void LdAInd(CSimZ80& z) {
    z.m_reg.SetA(z.ReadMem(Pair<p>(z.m_reg)));
}
void LdNnHl(CSimZ80& z) {
    z.WriteWord(z.FetchWord(), z.m_reg.HL);
}
void LdHlNn(CSimZ80& z) {
    z.m_reg.HL = z.ReadWord(z.FetchWord());
}
void LdNnA(CSimZ80& z) {
    z.WriteMem(z.FetchWord(), z.m_reg.A());
}
void LdANn(CSimZ80& z) {
    z.m_reg.SetA(z.ReadMem(z.FetchWord()));
}

template <int r> void IncR(CSimZ80& z) {
    z.SetReg8(r, Inc8(z.m_reg, z.GetReg8(r)));
}
template <int r> void DecR(CSimZ80& z) {
    z.SetReg8(r, Dec8(z.m_reg, z.GetReg8(r)));
}
template <int r> void LdRN(CSimZ80& z) {
    z.SetReg8(r, z.FetchByte());
}

// RLCA RRCA RLA RRA: only H, N and C change.
template <int kind> void RotA(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    uint8_t a = r.A();
    uint8_t res;
    uint8_t c;
    if constexpr (kind == 0) {
        res = uint8_t(a << 1 | a >> 7);
        c = a >> 7;
    } else if constexpr (kind == 1) {
        res = uint8_t(a >> 1 | a << 7);
        c = a & 1;
    } else if constexpr (kind == 2) {
        res = uint8_t(a << 1 | r.fC);
        c = a >> 7;
    } else {
        res = uint8_t(a >> 1 | r.fC << 7);
        c = a & 1;
    }
    r.SetA(res);
    r.fH = 0;
    r.fN = 0;
    r.fC = c;
}

// DAA looks at H, C and A only (N is not consulted), in two literal steps.
void Daa(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    uint8_t a = r.A();
    if (r.fH || (a & 0x0F) > 9) {
        a = uint8_t(a + 6);
        r.fH = 1;
    } else {
        r.fH = 0;
    }
    if (r.fC || a > 0x9F) {
        a = uint8_t(a + 0x60);
        r.fC = 1;
    } else {
        r.fC = 0;
    }
    SetSZP(r, a);
    r.SetA(a);
}

void Cpl(CSimZ80& z) {
    z.m_reg.SetA(uint8_t(~z.m_reg.A()));
    z.m_reg.fH = 1;
    z.m_reg.fN = 1;
}
void Scf(CSimZ80& z) {
    z.m_reg.fH = 0;
    z.m_reg.fN = 0;
    z.m_reg.fC = 1;
}
void Ccf(CSimZ80& z) {
    z.m_reg.fN = 0;
    z.m_reg.fC ^= 1;
}

template <int dst, int src> void LdRR(CSimZ80& z) {
    z.SetReg8(dst, z.GetReg8(src));
}

// HALT executes again at every step: nothing ever interrupts it.
void Halt(CSimZ80& z) {
    z.m_reg.PC--;
}

template <int op, int src> void AluR(CSimZ80& z) {
    Alu<op>(z, z.GetReg8(src));
}
template <int op> void AluN(CSimZ80& z) {
    Alu<op>(z, z.FetchByte());
}

template <int cc> void RetCc(CSimZ80& z) {
    if (Cond<cc>(z.m_reg)) z.m_reg.PC = z.Pop();
}
void Ret(CSimZ80& z) {
    z.m_reg.PC = z.Pop();
}

template <int p> void PopPair(CSimZ80& z) {
    if constexpr (p == 3) {
        z.m_reg.AF = z.Pop();
        z.LoadF(Lo(z.m_reg.AF));
    } else {
        Pair<p>(z.m_reg) = z.Pop();
    }
}
template <int p> void PushPair(CSimZ80& z) {
    if constexpr (p == 3) {
        SetLo(z.m_reg.AF, z.AssembleF());
        z.Push(z.m_reg.AF);
    } else {
        z.Push(Pair<p>(z.m_reg));
    }
}

void Exx(CSimZ80& z) {
    REGZ80& r = z.m_reg;
    std::swap(r.BC, r.BC2);
    std::swap(r.DE, r.DE2);
    std::swap(r.HL, r.HL2);
}
void JpHl(CSimZ80& z) {
    z.m_reg.PC = z.m_reg.HL;
}
void LdSpHl(CSimZ80& z) {
    z.m_reg.SP = z.m_reg.HL;
}

// cc < 0: the unconditional form.
template <int cc> void Jp(CSimZ80& z) {
    uint16_t nn = z.FetchWord();
    if constexpr (cc >= 0) {
        if (!Cond<cc>(z.m_reg)) return;
    }
    z.m_reg.PC = nn;
}
template <int cc> void Call(CSimZ80& z) {
    uint16_t nn = z.FetchWord();
    if constexpr (cc >= 0) {
        if (!Cond<cc>(z.m_reg)) return;
    }
    z.Push(z.m_reg.PC);
    z.m_reg.PC = nn;
}
template <int p> void Rst(CSimZ80& z) {
    z.Push(z.m_reg.PC);
    z.m_reg.PC = uint16_t(p);
}

void OutNA(CSimZ80& z) {
    uint8_t n = z.FetchByte();
    z.OutPort(n, z.m_reg.A());
}
void InAN(CSimZ80& z) {
    uint8_t n = z.FetchByte();
    z.m_reg.SetA(z.InPort(n));
}
void ExSpHl(CSimZ80& z) {
    uint16_t v = z.ReadWord(z.m_reg.SP);
    z.WriteWord(z.m_reg.SP, z.m_reg.HL);
    z.m_reg.HL = v;
}
void ExDeHl(CSimZ80& z) {
    std::swap(z.m_reg.DE, z.m_reg.HL);
}
void Di(CSimZ80& z) {
    z.m_reg.IFF1 = z.m_reg.IFF2 = 0;
}
void Ei(CSimZ80& z) {
    z.m_reg.IFF1 = z.m_reg.IFF2 = 1;
}

void PrefixCB(CSimZ80& z) {
    z.ExecCB(nullptr);
}
void PrefixDD(CSimZ80& z) {
    z.ExecIndexed(z.m_reg.IX);
}
void PrefixED(CSimZ80& z) {
    z.ExecED();
}
void PrefixFD(CSimZ80& z) {
    z.ExecIndexed(z.m_reg.IY);
}

// The opcode map: x = bits 7-6, y = bits 5-3, zz = bits 2-0, p = bits 5-4, q = bit 3.
template <int op> constexpr OpFn Pick() {
    constexpr int x = op >> 6, y = (op >> 3) & 7, zz = op & 7, p = y >> 1, q = y & 1;
    if constexpr (op == 0x76)
        return Halt;
    else if constexpr (x == 1)
        return LdRR<y, zz>;
    else if constexpr (x == 2)
        return AluR<y, zz>;
    else if constexpr (x == 0) {
        if constexpr (zz == 0) {
            constexpr OpFn f[4] = {Nop, ExAfAf, Djnz, Jr<-1>};
            if constexpr (y < 4)
                return f[y];
            else
                return Jr<y - 4>;
        } else if constexpr (zz == 1) {
            if constexpr (q == 0)
                return LdPairNn<p>;
            else
                return AddHlPair<p>;
        } else if constexpr (zz == 2) {
            constexpr OpFn f[8] = {LdIndA<0>, LdAInd<0>, LdIndA<1>, LdAInd<1>,
                                   LdNnHl,    LdHlNn,    LdNnA,     LdANn};
            return f[y];
        } else if constexpr (zz == 3) {
            if constexpr (q == 0)
                return IncPair<p>;
            else
                return DecPair<p>;
        } else if constexpr (zz == 4)
            return IncR<y>;
        else if constexpr (zz == 5)
            return DecR<y>;
        else if constexpr (zz == 6)
            return LdRN<y>;
        else {
            constexpr OpFn f[8] = {RotA<0>, RotA<1>, RotA<2>, RotA<3>, Daa, Cpl, Scf, Ccf};
            return f[y];
        }
    } else {
        if constexpr (zz == 0)
            return RetCc<y>;
        else if constexpr (zz == 1) {
            constexpr OpFn f[4] = {Ret, Exx, JpHl, LdSpHl};
            if constexpr (q == 0)
                return PopPair<p>;
            else
                return f[p];
        } else if constexpr (zz == 2)
            return Jp<y>;
        else if constexpr (zz == 3) {
            constexpr OpFn f[8] = {Jp<-1>, PrefixCB, OutNA, InAN, ExSpHl, ExDeHl, Di, Ei};
            return f[y];
        } else if constexpr (zz == 4)
            return Call<y>;
        else if constexpr (zz == 5) {
            constexpr OpFn f[4] = {Call<-1>, PrefixDD, PrefixED, PrefixFD};
            if constexpr (q == 0)
                return PushPair<p>;
            else
                return f[p];
        } else if constexpr (zz == 6)
            return AluN<y>;
        else
            return Rst<y * 8>;
    }
}

template <std::size_t... I> constexpr std::array<OpFn, 256> MakeTable(std::index_sequence<I...>) {
    return {Pick<int(I)>()...};
}

} // namespace

extern const std::array<OpFn, 256> kMainOps;
constinit const std::array<OpFn, 256> kMainOps = MakeTable(std::make_index_sequence<256>());

} // namespace z80
