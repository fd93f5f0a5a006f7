#include "debugger/stat09.h"

CStat09::CStat09() {
    for (int i = kD; i <= kPC; ++i)
        m_strText[i] = "0000";
    m_strText[kCC] = m_strText[kDP] = m_strText[kMD] = "00";
    m_strText[kFlags] = "--------";
}

void CStat09::Update(const REG09* reg, const char* line) {
    char buf[9];
    const uint16_t REG09::*const words[] = {&REG09::D, &REG09::W, &REG09::X, &REG09::Y,
                                            &REG09::U, &REG09::S, &REG09::V, &REG09::PC};
    for (int i = 0; i < 8; ++i) {
        uint16_t v = reg->*words[i];
        if (v != m_regLast.*words[i]) {
            Hex4(buf, v);
            SetText(m_strText[kD + i], kD + i, buf);
        }
    }
    const uint8_t REG09::*const bytes[] = {&REG09::CC, &REG09::DP, &REG09::MD};
    for (int i = 0; i < 3; ++i) {
        uint8_t v = reg->*bytes[i];
        if (v != m_regLast.*bytes[i]) {
            Hex2(buf, v);
            SetText(m_strText[kCC + i], kCC + i, buf);
        }
    }
    static constexpr char kLetters[] = "EFHINZVC";
    for (int i = 0; i < 8; ++i)
        buf[i] = (reg->CC & (0x80 >> i)) ? kLetters[i] : '-';
    buf[8] = 0;
    SetText(m_strText[kFlags], kFlags, buf);

    AppendLine(line);

    if (reg->signals != m_regLast.signals) SetSignals(reg->signals);
    m_regLast = *reg;
}

void CStat09::UpdateSignals(const REG09* reg) {
    if (reg->signals == m_regLast.signals) return;
    SetSignals(reg->signals);
    m_regLast.signals = reg->signals;
}

void CStat09::SetSignals(uint8_t signals) {
    SetText(m_strText[kIrq], kIrq, signals & SIG_IRQ ? "IRQ" : "");
    SetText(m_strText[kFirq], kFirq, signals & SIG_FIRQ ? "FIRQ" : "");
    SetText(m_strText[kNmi], kNmi, signals & SIG_NMI ? "NMI" : "");
    SetText(m_strText[kHalt], kHalt, signals & SIG_HALT ? "HALT" : "");
}
