// The CB page: rotates and shifts, BIT, RES and SET. With an index register ($DD/$FD $CB
// d op) a memory operand lies at index + d; an operation byte that names a register
// works on that register and leaves memory alone.
#include <utility>

#include "z80/alu.h"

namespace z80 {
namespace {

using CbFn = void (*)(CSimZ80&, uint16_t);

// g = group (bits 7-6), y = shift kind or bit number, rc = operand register code.
// A memory operand is read once and, except by BIT, written back to the same address.
template <int g, int y, int rc> void CbOp(CSimZ80& z, uint16_t addr) {
    REGZ80& r = z.m_reg;
    uint8_t v = rc == 6 ? z.ReadMem(addr) : z.GetReg8(rc);
    if constexpr (g == 1) {
        r.fZ = ((v >> y) & 1) ^ 1;
        r.fH = 1;
        r.fN = 0;
    } else {
        uint8_t res;
        if constexpr (g == 0)
            res = Shift<y>(r, v);
        else if constexpr (g == 2)
            res = uint8_t(v & ~(1 << y));
        else
            res = uint8_t(v | (1 << y));
        if constexpr (rc == 6)
            z.WriteMem(addr, res);
        else
            z.SetReg8(rc, res);
    }
}

template <std::size_t... I> constexpr std::array<CbFn, 256> MakeTable(std::index_sequence<I...>) {
    return {CbOp<int(I >> 6), int((I >> 3) & 7), int(I & 7)>...};
}

constexpr std::array<CbFn, 256> kCbOps = MakeTable(std::make_index_sequence<256>());

} // namespace
} // namespace z80

void CSimZ80::ExecCB(uint16_t* index) {
    if (index) {
        int8_t d = int8_t(FetchByte());
        uint8_t op = FetchByte();
        z80::kCbOps[op](*this, uint16_t(*index + d));
    } else {
        uint8_t op = FetchByte();
        z80::kCbOps[op](*this, m_reg.HL);
    }
}
