// CStatZ80: the debugger page of the Z80 card, without its window. Works like
// CStat09: the core calls Update after every Z80 instruction while its m_pStat points
// here, the main board calls UpdateSignals at the end of every main-board step (the
// page reads "HALT" while the HD6309 runs instead of the card).
#pragma once

#include "debugger/stat_page.h"
#include "z80/simz80.h"

class CStatZ80 : public CStatPage, public CTracePageZ80 {
public:
    // Display texts, in this order.
    enum Text {
        kAF,
        kAF2,
        kBC,
        kBC2,
        kDE,
        kDE2,
        kFlags,
        kHL,
        kHL2,
        kIFF,
        kIX,
        kIY,
        kPC,
        kRI,
        kSP,
        kHalt,
        kIrq,
        kTextCount
    };

    CStatZ80();

    void Update(const REGZ80* reg, const char* line) override;
    void UpdateSignals(const REGZ80* reg) override;

    int TextCount() const override { return kTextCount; }
    const std::string& Text(int i) const override { return m_strText[i]; }

    std::string m_strText[kTextCount];
    REGZ80 m_regLast{};

private:
    void SetSignals(uint8_t signals);
};
