// CStat09: the debugger page of one HD6309 (the main board's or the display board's),
// without its window. The core calls Update after every instruction it executes
// while its m_pStat points here, with its registers and the trace line of the next
// instruction; the board calls UpdateSignals at the end of every step. The page only
// reads the record: it formats the registers that changed since the record shown
// last, keeps a copy of that record and the last 512 trace lines.
#pragma once

#include "cpu6309/sim09.h"
#include "debugger/stat_page.h"

class CStat09 : public CStatPage, public CTracePage09 {
public:
    // Display texts, in this order.
    enum Text {
        kD,
        kW,
        kX,
        kY,
        kU,
        kS,
        kV,
        kPC,
        kCC,
        kDP,
        kMD,
        kFlags,
        kFirq,
        kHalt,
        kIrq,
        kNmi,
        kTextCount
    };

    CStat09();

    void Update(const REG09* reg, const char* line) override;
    void UpdateSignals(const REG09* reg) override;

    int TextCount() const override { return kTextCount; }
    const std::string& Text(int i) const override { return m_strText[i]; }

    std::string m_strText[kTextCount];
    REG09 m_regLast{};

private:
    void SetSignals(uint8_t signals);
};
