// The programmable timer at $FD38-$FD3F: three 16-bit counters with control registers
// CR1-CR3 and a status register, in the register model of the classic three-counter
// timer chip. The machine has no clock cycles, so the counters count memory accesses:
// the internal clock is one count per access, the external clock 192 counts per
// m_nSpeed accesses (10 ms of emulated time). Counter 2 may divide its counts by 8.
//
// Six counting slots: counter c counts in slot c; in dual 8-bit mode its high byte
// counts in slot c and its low byte in slot c + 3. m_ptmCtrl[s] bit 8 = slot s runs,
// low byte of words 0-2 = CR1-CR3. Nothing is done per access: the board compares
// m_nPtmCount with m_nPtmNext (the nearest expiry) at every step, and the countdown
// also runs when a counter or the status is read.
//
// Expiries set status bits 0-2 and, with interrupts enabled, bit 7 and the timer's raw
// interrupt flag ($FD03 bit 0).
#include <algorithm>

#include "mainboard/main_cpu.h"

namespace {

constexpr uint16_t kRunning = 0x100;
constexpr int kRegCtrl13 = 0x38; // CR1 or CR3 by CR2 bit 0
constexpr int kRegStatus = 0x39; // read status, write CR2
constexpr int kRegCounter = 0x3A;
constexpr int kMaxAccesses = 1 << 30;

} // namespace

void CMainCpu::RegisterTimer() {
    SetIoRead(0x38, 0x3F, &CMainCpu::PtmRead);
    SetIoWrite(0x38, 0x3F, &CMainCpu::PtmWrite);
}

uint8_t CMainCpu::PtmAccess(int op, uint8_t reg, uint8_t value) {
    if (op == PTM_COUNTDOWN) {
        PtmCountdown();
        return 0;
    }
    if (op == PTM_WRITE) {
        if (reg == kRegCtrl13)
            PtmControl((m_ptmCtrl[1] & 1) ? 0 : 2, value);
        else if (reg == kRegStatus)
            PtmControl(1, value);
        else if (reg > kRegStatus && reg < kRegCounter + 6)
            PtmLatch((reg - kRegCounter) / 2, (reg - kRegCounter) & 1, value);
        return 0;
    }
    if (reg == kRegStatus) {
        PtmCountdown();
        Raw(0x03) &= ~0x01;
        Cell(0x03) &= ~0x01;
        return Cell(kRegStatus);
    }
    if (reg > kRegStatus && reg < kRegCounter + 6)
        return PtmCounter((reg - kRegCounter) / 2, (reg - kRegCounter) & 1);
    return 0;
}

// Programmed counts (timer ticks) into memory accesses. A slot always takes at least
// one access, so that a tiny m_nSpeed cannot leave a running slot with nothing to count.
int CMainCpu::PtmToAccesses(int c, int64_t n) const {
    if (!(m_ptmCtrl[c] & 0x02)) n = int64_t(std::max(m_nSpeed, 1)) * n / 192;
    if (c == 2 && (m_ptmCtrl[2] & 0x01)) n *= 8;
    return int(std::clamp<int64_t>(n, 1, kMaxAccesses));
}

// Remaining accesses back into timer ticks.
int CMainCpu::PtmFromAccesses(int c, int64_t n) const {
    if (!(m_ptmCtrl[c] & 0x02)) n = n * 192 / std::max(m_nSpeed, 1);
    if (c == 2 && (m_ptmCtrl[2] & 0x01)) n /= 8;
    return int(n);
}

void CMainCpu::PtmControl(int i, uint8_t value) {
    m_ptmCtrl[i] = uint16_t((m_ptmCtrl[i] & kRunning) | value);
    uint8_t& status = Cell(kRegStatus);
    if (i == 0 && (value & 0x01)) {
        // Internal reset. All six slots stop: a half of a dual 8-bit counter left
        // running with a zero count would expire at every countdown.
        std::fill(m_ptmCtrl, m_ptmCtrl + 6, 0);
        m_ptmCtrl[0] = 0x01;
        std::fill(m_ptmLatch, m_ptmLatch + 6, 0);
        std::fill(m_ptmCount, m_ptmCount + 6, 0);
        m_bPtmArmed = 0;
        status = 0;
        return;
    }
    status &= ~(0x80 | (1 << i));
    if (status & 0x07) {
        for (int c = 0; c < 3; ++c)
            if ((status & (1 << c)) && (m_ptmCtrl[c] & 0x40)) status |= 0x80;
    } else if (Raw(0x03) & 0x01) {
        Raw(0x03) &= ~0x01;
        UpdateIrq();
    }
    const int mode = (value >> 3) & 7;
    if (mode == 2 || mode == 6) {
        PtmStart(i);
        if (value & 0x04) PtmStart(i + 3);
    }
}

void CMainCpu::PtmLatch(int c, bool low, uint8_t value) {
    const int reg = kRegCounter + 2 * c;
    Cell(reg + low) = value;
    int slot = c;
    int n;
    if (m_ptmCtrl[c] & 0x04) {
        n = value ? value : 256;
        if (low) slot = c + 3;
    } else {
        if (!low) return;
        n = Cell(reg) * 256 + value;
        if (n == 0) n = 65536;
    }
    n = PtmToAccesses(c, n);
    m_ptmLatch[slot] = n;
    m_ptmCount[slot] = n;
    if (!(m_ptmCtrl[c] & 0x18) || (m_ptmCtrl[slot] & kRunning)) PtmStart(slot);
}

void CMainCpu::PtmClearCounterFlag(int c) {
    uint8_t& status = Cell(kRegStatus);
    status &= ~(1 << c);
    if (!(status & 0x07)) status &= ~0x80;
}

uint8_t CMainCpu::PtmCounter(int c, bool low) {
    const int reg = kRegCounter + 2 * c;
    PtmClearCounterFlag(c);
    if (!(m_ptmCtrl[c] & 0x04)) {
        // 16-bit mode: the high byte read latches the low byte for a later read.
        if (low) return Cell(reg + 1);
        PtmCountdown();
        const int n = PtmFromAccesses(c, m_ptmCount[c]);
        Cell(reg + 1) = uint8_t(n);
        Cell(reg) = uint8_t(n >> 8);
        return Cell(reg);
    }
    PtmCountdown();
    const int n = PtmFromAccesses(c, m_ptmCount[low ? c + 3 : c]);
    Cell(reg + low) = uint8_t(n);
    return Cell(reg + low);
}

void CMainCpu::PtmStart(int slot) {
    m_ptmCtrl[slot] |= kRunning;
    if (!m_bPtmArmed) {
        m_bPtmArmed = 1;
        m_nPtmNext = m_ptmCount[slot];
        m_nPtmCount = 0;
        return;
    }
    m_ptmCount[slot] = int(
        std::min<int64_t>(int64_t(m_ptmCount[slot]) + m_nPtmCount, int64_t(kMaxAccesses) * 3 / 2));
    m_nPtmNext = std::min(m_nPtmNext, m_ptmCount[slot]);
}

void CMainCpu::PtmCountdown() {
    Raw(0x03) &= ~0x01;
    m_nPtmNext = 0;
    m_bPtmArmed = 0;
    const int elapsed = m_nPtmCount;
    uint8_t& status = Cell(kRegStatus);
    for (int s = 0; s < 6; ++s) {
        if (!(m_ptmCtrl[s] & kRunning)) continue;
        const int c = s % 3;
        int& count = m_ptmCount[s];
        count -= elapsed;
        if (count < 0) {
            status |= 1 << c;
            if (m_ptmCtrl[c] & 0xC0) {
                status |= 0x80;
                Raw(0x03) |= 0x01;
            }
            if (m_ptmCtrl[c] & 0x28) {
                m_ptmCtrl[s] &= ~kRunning;
                count = 0;
                continue;
            }
            count += m_ptmLatch[s];
            // Several periods passed in one go (a long block instruction): they merge
            // into this one expiry instead of leaving the slot stuck below zero.
            if (count < 0) {
                const int latch = m_ptmLatch[s];
                count = latch > 0 ? (count % latch + latch) % latch : 0;
            }
        }
        if (!m_bPtmArmed || count < m_nPtmNext) m_nPtmNext = count;
        m_bPtmArmed = 1;
    }
    UpdateIrq();
    m_nPtmCount = 0;
}
