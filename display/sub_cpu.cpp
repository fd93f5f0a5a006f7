// The display board's memory map, reset and per-step service.
#include "display/sub_cpu.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "display/io_cells.h"
#include "platform/clock.h"
#include "rom/roms.h"

CSubCpu::CSubCpu()
    : m_pRom(g_displayRom), m_pFont(g_fontRom), m_pKanjiRom(g_kanjiRom), m_pKanji(g_kanjiRom) {
    std::memset(m_vram, 0, sizeof m_vram);
    std::memset(m_mem, 0, sizeof m_mem);
    std::memset(m_wKeyBuf, 0, sizeof m_wKeyBuf);
    std::memset(m_crtc, 0, sizeof m_crtc);
    std::memset(m_wTextShadow, 0, sizeof m_wTextShadow);
    std::memset(m_rtc, 0, sizeof m_rtc);
    m_rcGraphDirty = kEmpty;
    m_rcOutDirty = kEmpty;
    m_cursorShown.blink = BLINK_OFF;
}

CSubCpu::~CSubCpu() = default;

uint8_t CSubCpu::ReadByte(uint16_t addr) {
    ++m_nNmiCount;
    ++m_nSpeedCount;
    if (addr >= 0xB000) return m_pRom[addr - 0xB000];
    if (addr < 0x8000) {
        const int o = (m_nAccessOffset + addr) & 0x7FFF;
        return m_vram[((m_nAccessBank * 4 + m_nReadPlane) << 15) + o];
    }
    if (addr >= 0xA000) return ReadIo(addr);
    if (addr >= 0x9F80) return m_pMainIo[io::kShared + (addr & 0x7F)];
    return Cell(addr);
}

void CSubCpu::WriteByte(uint16_t addr, uint8_t value) {
    ++m_nNmiCount;
    ++m_nSpeedCount;
    if (addr >= 0xB000) return;
    if (addr < 0x8000) {
        WriteGraphic(addr, value);
    } else if (addr < 0x9000) {
        Cell(addr) = value;
        m_bTextDirty = 1;
    } else if (addr >= 0xA000) {
        WriteIo(addr, value);
    } else if (addr >= 0x9F80) {
        m_pMainIo[io::kShared + (addr & 0x7F)] = value;
    } else {
        Cell(addr) = value;
    }
}

void CSubCpu::WriteGraphic(uint16_t addr, uint8_t value) {
    const int o = (m_nAccessOffset + addr) & 0x7FFF;
    const uint8_t planes = Cell(io::kPlanes);
    uint8_t* bank = m_vram + (m_nAccessBank << 17);
    for (int p = 0; p < 3; ++p) {
        if (planes & (1 << p))
            bank[(p << 15) + o] = value;
        else if (!(planes & (8 << p)))
            bank[(p << 15) + o] = 0;
    }
    if (m_nAccessBank == m_nDispBank) {
        const int d = (o - m_nDispStart) & 0x7FFF;
        const int x = (d % 80) * 8;
        const int y = (d / 80) % 400;
        Grow(m_rcGraphDirty, x, y, x, y);
        m_bGraphDirty = 1;
    }
}

void CSubCpu::Grow(CRect& rc, int left, int top, int right, int bottom) {
    rc.left = std::min(rc.left, left);
    rc.top = std::min(rc.top, top);
    rc.right = std::max(rc.right, right);
    rc.bottom = std::max(rc.bottom, bottom);
}

void CSubCpu::Reset() {
    std::memset(m_vram, 0, sizeof m_vram);
    std::memset(m_mem, 0, sizeof m_mem);
    std::memset(m_crtc, 0, 17);
    std::memset(m_rtc, 0, sizeof m_rtc);
    Cell(io::kToggle) = 0x40;
    m_pMainIo[io::kFd05] |= 0x80;

    m_bGraphDirty = m_bTextDirty = m_bCursorDirty = 0;
    m_nTickMs = 0;
    m_nSpeedCount = 0;
    m_nNmiCount = 0;
    m_nNmiPeriod = 60000;
    m_bNmiHold = 1;
    m_dwLastTick = HostTickCount();
    m_nKeyRead = m_nKeyWrite = 0;
    m_nKanjiLeft = m_nKanjiRight = 32;
    m_pKanji = m_pKanjiRom;
    m_nDispBank = m_nDispStart = 0;
    m_nReadPlane = m_nAccessBank = m_nAccessOffset = 0;
    m_rcGraphDirty = kEmpty;
    m_bTick = 0;
    m_nBlinkPhase = m_nBlinkCount = 0;
    m_nColumns = 80;
    m_nRows = 25;
    m_nCharWidth = 8;
    m_nCharHeight = 16;
    m_rcOutDirty = kEmpty;
    m_nTextStart = 0;
    // The layers below start black and the text memory zero: nothing is drawn yet, so
    // every cell the firmware writes is drawn afresh.
    std::memset(m_wTextShadow, 0, sizeof m_wTextShadow);
    m_cursor = Cursor{};
    m_cursorShown = Cursor{};
    m_cursorShown.blink = BLINK_OFF;

    m_reg = REG09{};
    const uint8_t hi = ReadByte(0xFFFE);
    m_reg.PC = uint16_t(hi << 8 | ReadByte(0xFFFF));

    const CRect all{0, 0, Surface::kWidth, Surface::kHeight};
    m_dcGraph.FillRect(all, 0);
    m_dcText.FillRect(all, 0);
    m_dcOut.FillRect(all, 0);
}

void CSubCpu::CalibrateNmi() {
    const uint32_t now = HostTickCount();
    const uint32_t elapsed = now - m_dwLastTick;
    if (!m_pStat && elapsed != 0) {
        const uint64_t period = uint64_t(m_nSpeedCount) * 20 / elapsed;
        m_nNmiPeriod = int(std::min<uint64_t>(period, INT_MAX));
    }
    m_nTickMs = 0;
    m_nSpeedCount = 0;
    m_dwLastTick = now;
}

void CSubCpu::Step() {
    if (m_bTick) {
        m_bTick = 0;
        RefreshScreen();
        PopKey();
        m_nTickMs += 100;
        if (m_nTickMs >= 2000 || m_nSpeedCount > 1000000) CalibrateNmi();
    }
    m_reg.signals = 0;
    const uint8_t latch = m_pMainIo[io::kFd05Latch];
    if (latch & 0x80) {
        m_reg.signals = SIG_HALT;
        CSubCpu::ReadByte(m_reg.PC);
    } else {
        if (latch & 0x40) {
            m_reg.signals |= SIG_IRQ;
            Irq();
        }
        if (Cell(io::kFirqCause)) {
            m_reg.signals |= SIG_FIRQ;
            Firq();
        }
        if (!m_bNmiHold && m_nNmiCount >= uint32_t(m_nNmiPeriod)) {
            m_reg.signals |= SIG_NMI;
            Nmi();
            m_nNmiCount = 0;
        }
        uint8_t& raw = m_pMainIo[io::kFd05Raw];
        if (!(raw & 0x80)) {
            Execute();
        } else if (m_reg.signals) {
            raw &= 0x7F;
            Execute();
        } else {
            m_reg.signals = SIG_HALT;
            CSubCpu::ReadByte(m_reg.PC);
        }
    }
    if (m_pStat) m_pStat->UpdateSignals(&m_reg);
}
