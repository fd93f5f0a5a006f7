// Indexed addressing: the postbyte at PC, its offset bytes, the auto-increment and
// auto-decrement of the base register and the indirect pointer read. Every postbyte
// gives an address; the forms the chip leaves undefined follow the same table.
#include "cpu6309/core09.h"

using namespace cpu09;

namespace {

constexpr uint16_t REG09::*kBase[4] = {&REG09::X, &REG09::Y, &REG09::U, &REG09::S};

// 16-bit offset after the postbyte: low byte at PC+1 first, then high byte at PC.
inline uint16_t Offset16(CSim09& c) {
    return ExtendedAddress(c);
}

// Postbytes $8F/$AF/$CF/$EF and, indirect, $90/$B0/$D0/$F0: W as the base.
inline uint16_t WBased(CSim09& c, uint8_t post) {
    uint16_t& w = c.m_reg.W;
    switch ((post >> 5) & 3) {
    case 0: return w;
    case 1: return uint16_t(w + Offset16(c));
    case 2: w = uint16_t(w + 2); return uint16_t(w - 2);
    default: w = uint16_t(w - 2); return w;
    }
}

} // namespace

uint16_t CSim09::GetIndexedAddress() {
    REG09& r = m_reg;
    uint8_t post = Fetch(*this);
    uint16_t& base = r.*kBase[(post >> 5) & 3];
    if (!(post & 0x80)) return uint16_t(base + (int8_t(post << 3) >> 3));

    uint16_t ea;
    switch (post & 0x0F) {
    case 0x0: ea = (post & 0x10) ? WBased(*this, post) : base++; break;
    case 0x1:
        ea = base;
        base = uint16_t(base + 2);
        break;
    case 0x2: ea = --base; break;
    case 0x3:
        base = uint16_t(base - 2);
        ea = base;
        break;
    case 0x4: ea = base; break;
    case 0x5: ea = uint16_t(base + SignExtend8(r.B())); break;
    case 0x6: ea = uint16_t(base + SignExtend8(r.A())); break;
    case 0x7: ea = uint16_t(base + SignExtend8(r.E())); break;
    case 0x8: {
        uint8_t d8 = Fetch(*this);
        ea = uint16_t(base + SignExtend8(d8));
        break;
    }
    case 0x9: ea = uint16_t(base + Offset16(*this)); break;
    case 0xA: ea = uint16_t(base + SignExtend8(r.F())); break;
    case 0xB: ea = uint16_t(base + r.D); break;
    case 0xC: {
        uint8_t d8 = Fetch(*this);
        ea = uint16_t(r.PC + SignExtend8(d8));
        break;
    }
    case 0xD: {
        uint16_t d16 = Offset16(*this);
        ea = uint16_t(r.PC + d16);
        break;
    }
    case 0xE: ea = uint16_t(base + r.W); break;
    default: // $9F/$BF/$DF/$FF [d16]; otherwise a W-based form
        ea = (post & 0x10) ? Offset16(*this) : WBased(*this, post);
        break;
    }
    if (post & 0x10) ea = Read16(*this, ea); // pointer: EA+1 first, then EA
    return ea;
}
