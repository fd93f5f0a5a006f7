// Entries into handlers: IRQ, FIRQ and NMI (called by the board before Execute),
// SWI/SWI2/SWI3, CWAI, RTI, and the illegal-instruction and division-by-zero traps,
// with the full-state frame they share.
#include "cpu6309/core09.h"

namespace cpu09 {

// PC, U, Y, X, DP, (F, E in native mode), B, A, CC; CC with E as the entry left it.
void PushFullState(CSim09& c) {
    REG09& r = c.m_reg;
    Push16(c, r.S, r.PC);
    Push16(c, r.S, r.U);
    Push16(c, r.S, r.Y);
    Push16(c, r.S, r.X);
    Push8(c, r.S, r.DP);
    if (r.MD & MD_NM) Push16(c, r.S, r.W);
    Push16(c, r.S, r.D);
    Push8(c, r.S, r.CC);
}

void LoadVector(CSim09& c, uint16_t vector) {
    uint8_t hi = Read(c, vector);
    uint8_t lo = Read(c, uint16_t(vector + 1));
    c.m_reg.PC = uint16_t(hi << 8 | lo);
}

namespace {

void EnterFullState(CSim09& c, uint16_t vector, uint8_t masks) {
    c.m_reg.CC |= CC_E;
    PushFullState(c);
    c.m_reg.CC |= masks;
    LoadVector(c, vector);
}

// An entry taken while waiting after CWAI: the frame is already on the stack.
bool EndCwaiWait(CSim09& c) {
    if (!(c.m_reg.wait & WAIT_CWAI)) return false;
    c.m_reg.wait &= ~WAIT_CWAI;
    return true;
}

void OpSwi(CSim09& c) {
    EnterFullState(c, 0xFFFA, CC_I | CC_F);
}
void OpSwi2(CSim09& c) {
    EnterFullState(c, 0xFFF4, 0);
}
void OpSwi3(CSim09& c) {
    EnterFullState(c, 0xFFF2, 0);
}

void OpCwai(CSim09& c) {
    uint8_t mask = Fetch(c);
    c.m_reg.CC = uint8_t((c.m_reg.CC & mask) | CC_E);
    PushFullState(c);
    c.m_reg.wait |= WAIT_CWAI;
}

void OpRti(CSim09& c) {
    REG09& r = c.m_reg;
    r.CC = Pull8(c, r.S);
    if (r.CC & CC_E) {
        r.SetA(Pull8(c, r.S));
        r.SetB(Pull8(c, r.S));
        if (r.MD & MD_NM) {
            r.SetE(Pull8(c, r.S));
            r.SetF(Pull8(c, r.S));
        }
        r.DP = Pull8(c, r.S);
        r.X = Pull16(c, r.S);
        r.Y = Pull16(c, r.S);
        r.U = Pull16(c, r.S);
    }
    r.PC = Pull16(c, r.S);
    r.wait &= ~WAIT_NMI;
}

} // namespace

void TrapIllegal(CSim09& c) {
    c.m_reg.MD |= MD_IL;
    EnterFullState(c, 0xFFF0, 0);
}

void TrapDivideByZero(CSim09& c) {
    c.m_reg.MD |= MD_DZ;
    EnterFullState(c, 0xFFF0, 0);
}

void OpIllegal(CSim09& c) {
    TrapIllegal(c);
}

void InstallEntries(Handler* page0, Handler* page10, Handler* page11) {
    page0[0x3B] = &OpRti;
    page0[0x3C] = &OpCwai;
    page0[0x3F] = &OpSwi;
    page10[0x3F] = &OpSwi2;
    page11[0x3F] = &OpSwi3;
}

} // namespace cpu09

void CSim09::Irq() {
    if (m_reg.CC & CC_I) return;
    if (cpu09::EndCwaiWait(*this)) {
        m_reg.CC |= CC_I;
        cpu09::LoadVector(*this, 0xFFF8);
    } else {
        cpu09::EnterFullState(*this, 0xFFF8, CC_I);
    }
}

void CSim09::Firq() {
    if (m_reg.CC & CC_F) return;
    if (!cpu09::EndCwaiWait(*this)) {
        m_reg.CC &= ~CC_E;
        cpu09::Push16(*this, m_reg.S, m_reg.PC);
        cpu09::Push8(*this, m_reg.S, m_reg.CC);
    }
    m_reg.CC |= CC_I | CC_F;
    cpu09::LoadVector(*this, 0xFFF6);
}

void CSim09::Nmi() {
    if (m_reg.wait & WAIT_NMI) return;
    m_reg.wait |= WAIT_NMI;
    if (cpu09::EndCwaiWait(*this)) {
        m_reg.CC |= CC_I | CC_F;
        cpu09::LoadVector(*this, 0xFFFC);
    } else {
        cpu09::EnterFullState(*this, 0xFFFC, CC_I | CC_F);
    }
}
