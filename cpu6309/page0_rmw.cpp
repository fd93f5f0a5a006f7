// Page 0, read-modify-write group: NEG ... CLR on memory ($00-$0F direct, $60-$6F
// indexed, $70-$7F extended) including OIM/AIM/EIM/TIM and JMP, and on A and B
// ($40-$5F). Memory forms read once and write once; TST and TIM only read, CLR only
// writes, JMP accesses nothing at its address.
#include "cpu6309/alu09.h"
#include "cpu6309/core09.h"

namespace cpu09 {
namespace {

constexpr int MemoryMode(unsigned op) {
    return op < 0x60 ? DIR : op < 0x70 ? IDX : EXT;
}

template <unsigned Op> void MemoryRmw(CSim09& c) {
    constexpr unsigned nib = Op & 15;
    constexpr int mode = MemoryMode(Op);
    REG09& r = c.m_reg;
    if constexpr (nib == 0x1 || nib == 0x2 || nib == 0x5 || nib == 0xB) {
        uint8_t imm = Fetch(c); // the immediate comes before the address bytes
        uint16_t ea = Address<mode>(c);
        uint8_t m = Read(c, ea);
        if constexpr (nib == 0x1)
            Write(c, ea, Logic<uint8_t>(r, uint8_t(m | imm)));
        else if constexpr (nib == 0x2)
            Write(c, ea, Logic<uint8_t>(r, uint8_t(m & imm)));
        else if constexpr (nib == 0x5)
            Write(c, ea, Logic<uint8_t>(r, uint8_t(m ^ imm)));
        else
            Logic<uint8_t>(r, uint8_t(m & imm));
    } else if constexpr (nib == 0xE) {
        r.PC = Address<mode>(c);
    } else if constexpr (nib == 0xF) {
        Write(c, Address<mode>(c), Clr<uint8_t>(r));
    } else if constexpr (nib == 0xD) {
        Logic<uint8_t>(r, Read(c, Address<mode>(c)));
    } else {
        uint16_t ea = Address<mode>(c);
        uint8_t m = Read(c, ea);
        Write(c, ea, Modify<nib, uint8_t>(r, m));
    }
}

template <unsigned Op> void RegisterRmw(CSim09& c) {
    constexpr unsigned nib = Op & 15;
    REG09& r = c.m_reg;
    if constexpr (Op < 0x50)
        r.SetA(Modify<nib, uint8_t>(r, r.A()));
    else
        r.SetB(Modify<nib, uint8_t>(r, r.B()));
}

constexpr bool RegisterColumn(unsigned op) {
    unsigned nib = op & 15;
    return !(nib == 0x1 || nib == 0x2 || nib == 0x5 || nib == 0xB || nib == 0xE);
}

} // namespace

void InstallPage0Rmw(Handler* page0) {
    FillRange<0x00, 0x10>(page0, []<unsigned Op>() -> Handler { return &MemoryRmw<Op>; });
    FillRange<0x60, 0x20>(page0, []<unsigned Op>() -> Handler { return &MemoryRmw<Op>; });
    FillRange<0x40, 0x20>(page0, []<unsigned Op>() -> Handler {
        if constexpr (RegisterColumn(Op))
            return &RegisterRmw<Op>;
        else
            return nullptr;
    });
}

} // namespace cpu09
