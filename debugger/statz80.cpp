#include "debugger/statz80.h"

#include "cpu6309/sim09.h"

CStatZ80::CStatZ80() {
    for (int i = 0; i < kTextCount; ++i)
        m_strText[i] = "0000";
    m_strText[kFlags] = "------";
    m_strText[kHalt] = m_strText[kIrq] = "";
}

void CStatZ80::Update(const REGZ80* reg, const char* line) {
    struct Word {
        uint16_t REGZ80::*field;
        int text;
    };
    static constexpr Word kWords[] = {
        {&REGZ80::AF, kAF},   {&REGZ80::BC, kBC},   {&REGZ80::DE, kDE},   {&REGZ80::HL, kHL},
        {&REGZ80::RI, kRI},   {&REGZ80::AF2, kAF2}, {&REGZ80::BC2, kBC2}, {&REGZ80::DE2, kDE2},
        {&REGZ80::HL2, kHL2}, {&REGZ80::SP, kSP},   {&REGZ80::PC, kPC},   {&REGZ80::IX, kIX},
        {&REGZ80::IY, kIY}};
    char buf[7];
    for (const Word& w : kWords) {
        uint16_t v = reg->*w.field;
        if (v != m_regLast.*w.field) {
            Hex4(buf, v);
            SetText(m_strText[w.text], w.text, buf);
        }
    }
    const uint8_t flags[] = {reg->fS, reg->fZ, reg->fH, reg->fPV, reg->fN, reg->fC};
    static constexpr char kLetters[] = "SZHPNC";
    for (int i = 0; i < 6; ++i)
        buf[i] = flags[i] ? kLetters[i] : '-';
    buf[6] = 0;
    SetText(m_strText[kFlags], kFlags, buf);

    // IFF1 then IFF2 ("%02x%02X"); each is 0 or 1, so the case never shows.
    static constexpr char kLower[] = "0123456789abcdef";
    static constexpr char kUpper[] = "0123456789ABCDEF";
    buf[0] = kLower[(reg->IFF1 >> 4) & 15];
    buf[1] = kLower[reg->IFF1 & 15];
    buf[2] = kUpper[(reg->IFF2 >> 4) & 15];
    buf[3] = kUpper[reg->IFF2 & 15];
    buf[4] = 0;
    SetText(m_strText[kIFF], kIFF, buf);

    AppendLine(line);

    if (reg->signals != m_regLast.signals) SetSignals(reg->signals);
    m_regLast = *reg;
}

void CStatZ80::UpdateSignals(const REGZ80* reg) {
    if (reg->signals == m_regLast.signals) return;
    SetSignals(reg->signals);
    m_regLast.signals = reg->signals;
}

void CStatZ80::SetSignals(uint8_t signals) {
    SetText(m_strText[kIrq], kIrq, signals & SIG_IRQ ? "IRQ" : "");
    SetText(m_strText[kHalt], kHalt, signals & SIG_HALT ? "HALT" : "");
}
