// The five serial ports: port 0 at $FD06/$FD07, ports 1-4 at $FD24-$FD2B (data at the
// even address, command/status at the odd one), in the programming model of the 8251.
// Their far ends are terminal models (m_pTerm, created and deleted by the view on the
// ID_USART_OPEN + n / ID_USART_CLOSE + n commands posted here). Every byte is delivered
// at once; the mode byte and the timing have no model.
//
// Command bits: $01 transmit enable, $02 DTR, $04 receive enable, $40 internal reset
// (the next command byte is the mode byte and is dropped). Status bits: $01 transmitter
// ready, $02 receiver ready, $80 DSR (a terminal is attached).
//
// Port 0 raises $FD03 bit 7; ports 1-4 share one raw flag, $FD2C bit 7, which reflects
// whichever port was evaluated last.
//
// A byte written while it cannot be sent waits in m_usartTx with m_usartHeld set and
// goes out at the first evaluation that finds a terminal and transmit enabled. Only a
// byte that really waits is sent: a status without transmitter ready (after a reset,
// or without a terminal) does not send the old byte a second time.
#include "mainboard/main_cpu.h"
#include "platform/wnd.h"
#include "terminal/term.h"

namespace {

constexpr uint8_t kCmdTransmit = 0x01;
constexpr uint8_t kCmdDtr = 0x02;
constexpr uint8_t kCmdReceive = 0x04;
constexpr uint8_t kCmdReset = 0x40;
constexpr uint8_t kStatTxReady = 0x01;
constexpr uint8_t kStatRxReady = 0x02;
constexpr uint8_t kStatDsr = 0x80;
constexpr uint8_t kIrqFlag = 0x80; // bit 7 of $FD03 (port 0) or $FD2C (ports 1-4)

int PortOf(uint8_t reg) {
    return reg < 0x24 ? 0 : 1 + (reg - 0x24) / 2;
}

} // namespace

void CMainCpu::RegisterUsart() {
    SetIoRead(0x06, 0x07, &CMainCpu::UsartRead);
    SetIoWrite(0x06, 0x07, &CMainCpu::UsartWrite);
    SetIoRead(0x24, 0x2B, &CMainCpu::UsartRead);
    SetIoWrite(0x24, 0x2B, &CMainCpu::UsartWrite);
}

uint8_t CMainCpu::UsartRead(uint8_t reg) {
    return UsartAccess(PortOf(reg), USART_READ + (reg & 1), 0);
}

void CMainCpu::UsartWrite(uint8_t reg, uint8_t value) {
    UsartAccess(PortOf(reg), reg & 1, value);
}

uint8_t CMainCpu::UsartEvaluate(int n) {
    uint8_t& raw = n == 0 ? Raw(0x03) : Raw(0x2C);
    uint8_t& stat = m_usartStat[n];
    CTerm* term = m_pTerm[n];
    raw &= ~kIrqFlag;
    if (!term) {
        stat = 0;
        UpdateIrq();
        return 0;
    }
    stat |= kStatDsr;
    if (m_usartCmd[n] & kCmdTransmit) {
        if (!(stat & kStatTxReady) && m_usartHeld[n]) {
            m_usartHeld[n] = 0;
            term->Write(m_usartTx[n]);
        }
        stat |= kStatTxReady;
        raw |= kIrqFlag;
    }
    if (term->m_nInCount > 0 && (m_usartCmd[n] & kCmdReceive)) {
        stat |= kStatRxReady;
        raw |= kIrqFlag;
    }
    UpdateIrq();
    return stat;
}

uint8_t CMainCpu::UsartAccess(int n, int op, uint8_t value) {
    if (n < 0 || n > 4) return 0;
    CTerm* term = m_pTerm[n];
    uint8_t& cmd = m_usartCmd[n];
    uint8_t& stat = m_usartStat[n];
    switch (op) {
    case USART_DATA:
        m_usartTx[n] = value;
        if ((cmd & kCmdTransmit) && term) {
            m_usartHeld[n] = 0;
            term->Write(value);
        } else {
            m_usartHeld[n] = 1;
            stat &= ~kStatTxReady;
        }
        return 0;
    case USART_COMMAND: {
        if (cmd & kCmdReset) {
            cmd &= ~kCmdReset; // the mode byte
            return 0;
        }
        const uint8_t old = cmd;
        cmd = value;
        // A rising DTR asks for a terminal even while one is still attached: a close
        // posted for an earlier drop (an internal reset) may still be on its way.
        if ((value & kCmdDtr) && (!term || !(old & kCmdDtr))) PostToView(ID_USART_OPEN + n);
        if (!(value & kCmdDtr) && term) PostToView(ID_USART_CLOSE + n);
        UsartEvaluate(n);
        return 0;
    }
    case USART_READ:
        stat &= ~kStatRxReady;
        if (!term) return 0;
        if (term->m_nInCount <= 0) return 0xFF;
        {
            static_assert((CTerm::kInSize & (CTerm::kInSize - 1)) == 0);
            const int r = term->m_nInRead & (CTerm::kInSize - 1);
            term->m_nInRead = (r + 1) & (CTerm::kInSize - 1);
            --term->m_nInCount;
            return term->m_inBuf[r];
        }
    case USART_STATUS: return UsartEvaluate(n);
    }
    return 0;
}

// The 100 ms visit: a terminal whose window was closed is handed back to the view;
// one that received input gets its port evaluated, so receiver ready and the
// interrupt follow within a tick.
void CMainCpu::UsartTick() {
    for (int n = 0; n < 5; ++n) {
        CTerm* term = m_pTerm[n];
        if (!term) continue;
        if (!term->HasWindow()) {
            PostToView(ID_USART_CLOSE + n);
        } else if (term->m_bInput) {
            term->m_bInput = 0;
            UsartEvaluate(n);
        }
    }
}

// At the board's end: the terminals still attached (their windows belong to the view and
// are only detached here), then the host file.
void CMainCpu::ReleasePorts() {
    for (CTerm*& term : m_pTerm) {
        if (!term) continue;
        term->DetachWindow();
        delete term;
        term = nullptr;
    }
    FilePortClose();
}
