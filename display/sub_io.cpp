// The display board's I/O page $A000-$AFFF: the registers at $AFE0-$AFF7 and their
// effects on the main board's cells; every other address is a RAM cell. Also the
// clock digits and the kanji ROM port.
#include <algorithm>

#include "display/io_cells.h"
#include "display/sub_cpu.h"
#include "platform/clock.h"

uint8_t CSubCpu::ReadIo(uint16_t addr) {
    uint8_t& cell = Cell(addr);
    switch (addr) {
    case io::kHandshake:
        if (m_pMainIo[io::kFd05] & 0x80) return cell & 0xFE;
        m_pMainIo[io::kFd05Raw] |= 0x80;
        return cell | 0x01;
    case io::kFirqCause: {
        const uint8_t v = cell;
        cell = 0;
        return v;
    }
    case io::kCancelAck: m_pMainIo[io::kFd05Latch] &= uint8_t(~0x40); return cell;
    case io::kToggle: cell ^= 0x84; return cell;
    case io::kAttention:
        m_pMainIo[io::kFd04] |= 0x01;
        m_pMainIo[io::kFd04Latch] = 0;
        return cell;
    case io::kKeyHigh: {
        const uint8_t v = cell;
        cell = 0;
        return v;
    }
    case io::kKeyLow: {
        const uint8_t v = cell;
        cell = 0;
        PopKey();
        return v;
    }
    case io::kCrtcData: return m_crtc[Cell(io::kCrtcIndex) & 31];
    case io::kAttnLatch: return m_pMainIo[io::kFd04Latch];
    case io::kPortLeft:
        if (Cell(io::kPortMode) & 0x80) return 0;
        if (m_nKanjiLeft >= 32) return 0;
        m_nKanjiLeft += 2;
        return m_pKanji[m_nKanjiLeft - 2];
    case io::kPortRight:
        if (Cell(io::kPortMode) & 0x80) return m_rtc[Cell(io::kPortMode) & 15];
        if (m_nKanjiRight >= 32) return 1;
        m_nKanjiRight += 2;
        return m_pKanji[m_nKanjiRight - 2];
    default: return cell;
    }
}

void CSubCpu::WriteIo(uint16_t addr, uint8_t value) {
    uint8_t& cell = Cell(addr);
    switch (addr) {
    case io::kHandshake:
        if (m_bNmiHold) {
            PushKey(0x0050);
            m_bNmiHold = 0;
            m_nNmiCount = 0;
        }
        if (value & 0x01) {
            m_pMainIo[io::kFd05] &= 0x7F;
            m_pMainIo[io::kFd05Raw] |= 0x80;
        } else {
            m_pMainIo[io::kFd05] |= 0x80;
        }
        cell = value;
        break;
    case io::kPlanes:
        cell = value;
        m_nReadPlane = value >> 6;
        break;
    case io::kDisplay:
        // The picture follows the shown bank, line mode and plane mask at once.
        if (value != cell) {
            m_rcGraphDirty = CRect{0, 0, 639, 399};
            m_bGraphDirty = 1;
        }
        cell = value;
        m_nDispBank = (value >> 3) & 3;
        break;
    case io::kAccessBank:
        cell = value;
        m_nAccessBank = (value >> 3) & 3;
        break;
    case io::kAccessLow:
        cell = value;
        m_nAccessOffset = ((Cell(io::kAccessHigh) << 8) & 0x7FFE) | (value & 0xFE);
        break;
    case io::kStartLow: {
        cell = value;
        const int oldStart = m_nDispStart;
        m_nDispStart = ((Cell(io::kStartHigh) << 8) & 0x7FFE) | (value & 0xFE);
        ScrollGraphic(oldStart);
        break;
    }
    case io::kKeyHigh:
    case io::kKeyLow: break;
    case io::kCrtcData:
        m_crtc[Cell(io::kCrtcIndex) & 31] = value;
        ApplyCrtc();
        break;
    case io::kToMain0:
    case io::kToMain0 + 1:
    case io::kToMain0 + 2: m_pMainIo[io::kFd20 + (addr - io::kToMain0)] = value; break;
    case io::kPortMode:
        cell = value;
        if (value == 0x8D) LatchClock();
        break;
    case io::kKanjiSelect: {
        cell = value;
        const int glyph = Cell(io::kPortMode) << 8 | value;
        if (glyph < 4096) {
            m_pKanji = m_pKanjiRom + glyph * 32;
            m_nKanjiLeft = 0;
            m_nKanjiRight = 1;
        }
        break;
    }
    case io::kPortRight:
        if (Cell(io::kPortMode) & 0x80) m_rtc[Cell(io::kPortMode) & 15] = value;
        break;
    default: cell = value; break;
    }
}

void CSubCpu::LatchClock() {
    const HostTime t = HostLocalTime();
    const int values[6] = {t.second, t.minute, t.hour, t.day, t.month, t.year - 1900};
    for (int i = 0; i < 6; ++i) {
        // Years since 1900 reach three digits: the "tens" digit then holds 10 and up.
        const int v = std::max(values[i], 0);
        m_rtc[i * 2] = uint8_t(v % 10);
        m_rtc[i * 2 + 1] = uint8_t(std::min(v / 10, 255));
    }
}
