// Indexed addressing: the postbyte at PC, its offset bytes, the auto-increment and
// auto-decrement of the base register and the indirect pointer read. Every postbyte
// gives an address; the forms the chip leaves undefined follow the same table. The
// forms without offset bytes are inline in core09.h.
#include "cpu6309/core09.h"

namespace cpu09 {
namespace {

// 16-bit offset after the postbyte: low byte at PC+1 first, then high byte at PC.
inline uint16_t Offset16(CSim09& c) {
    return ExtendedAddress(c);
}

// Postbytes $8F/$AF/$CF/$EF and, indirect, $90/$B0/$D0/$F0: W as the base.
uint16_t WBased(CSim09& c, uint8_t post) {
    uint16_t& w = c.m_reg.W;
    switch ((post >> 5) & 3) {
    case 0: return w;
    case 1: return uint16_t(w + Offset16(c));
    case 2: w = uint16_t(w + 2); return uint16_t(w - 2);
    default: w = uint16_t(w - 2); return w;
    }
}

} // namespace

uint16_t IndexedAddressRest(CSim09& c, uint8_t post) {
    REG09& r = c.m_reg;
    uint16_t base = r.*kIndexBase[(post >> 5) & 3];
    uint16_t ea;
    if ((post & 0x1F) == 0x1F)
        ea = Offset16(c); // $9F/$BF/$DF/$FF: [d16]
    else if ((post & 0x1F) == 0x10 || (post & 0x1F) == 0x0F)
        ea = WBased(c, post);
    else if (!ShortIndexedForm(r, post, ea)) {
        switch (post & 0x0F) {
        case 0x7: ea = uint16_t(base + int8_t(r.E())); break;
        case 0x8: ea = uint16_t(base + int8_t(Fetch(c))); break;
        case 0x9: ea = uint16_t(base + Offset16(c)); break;
        case 0xA: ea = uint16_t(base + int8_t(r.F())); break;
        case 0xC: {
            int8_t d8 = int8_t(Fetch(c));
            ea = uint16_t(r.PC + d8);
            break;
        }
        case 0xD: {
            uint16_t d16 = Offset16(c);
            ea = uint16_t(r.PC + d16);
            break;
        }
        default: ea = uint16_t(base + r.W); break; // 0xE
        }
    }
    if (post & 0x10) ea = Read16(c, ea); // pointer: EA+1 first, then EA
    return ea;
}

} // namespace cpu09

uint16_t CSim09::GetIndexedAddress() {
    return cpu09::IndexedAddress(*this);
}
