// CRT controller effects (text geometry, cursor shape and address, text start with
// scrolling by moving pixels) and the graphic scroll on a display start write.
#include <algorithm>
#include <cstring>

#include "display/io_cells.h"
#include "display/sub_cpu.h"

namespace {
constexpr int kW = Surface::kWidth;
constexpr int kH = Surface::kHeight;
} // namespace

void CSubCpu::ApplyCrtc() {
    const int reg = Cell(io::kCrtcIndex) & 31;
    switch (reg) {
    case 1:
        // Columns x rows must stay within the 2000-cell shadow: 1..80 by 1..25.
        SetGeometry(std::clamp(m_crtc[1] * 2, 1, 80), m_nRows);
        break;
    case 6: SetGeometry(m_nColumns, std::clamp(int(m_crtc[6]), 1, 25)); [[fallthrough]];
    case 10:
    case 11:
        m_cursor.first = std::min(m_crtc[10] & 31, m_nCharHeight - 1);
        m_cursor.blink = (m_crtc[10] >> 5) & 3;
        m_cursor.last = std::min(m_crtc[11] & 31, m_nCharHeight - 1);
        m_bCursorDirty = 1;
        break;
    case 13: {
        const int start = ((m_crtc[12] << 8 | m_crtc[13]) & 0x3FF) * 2;
        const int lines = (start - m_nTextStart) / m_nColumns;
        if (lines >= 1 && lines <= 9)
            ScrollText(lines);
        else
            m_bTextDirty = 1;
        m_nTextStart = start;
        break;
    }
    case 15: {
        const int cursor = m_crtc[14] << 8 | m_crtc[15];
        const int start = m_crtc[12] << 8 | m_crtc[13];
        const int index = (((cursor - start) * 2) & 0x1FFE) | ((Cell(io::kHandshake) >> 5) & 1);
        m_cursor.column = index % m_nColumns;
        m_cursor.row = index / m_nColumns;
        m_bCursorDirty = 1;
        break;
    }
    default: break;
    }
}

void CSubCpu::SetGeometry(int columns, int rows) {
    if (columns == m_nColumns && rows == m_nRows) return;
    std::memset(m_wTextShadow, 0, sizeof m_wTextShadow);
    m_dcText.FillRect(CRect{0, 0, kW, kH}, 0);
    m_bTextDirty = 1;
    m_nColumns = columns;
    m_nRows = rows;
    m_nCharWidth = kW / columns;
    m_nCharHeight = kH / rows;
    Grow(m_rcOutDirty, 0, 0, kW - 1, kH - 1);
}

void CSubCpu::ScrollText(int lines) {
    const int moved = std::min(lines, m_nRows);
    const int kept = (m_nRows - moved) * m_nColumns;
    std::memmove(m_wTextShadow, m_wTextShadow + moved * m_nColumns, kept * sizeof(uint16_t));
    std::fill(m_wTextShadow + kept, m_wTextShadow + m_nRows * m_nColumns, uint16_t(0));

    const int dy = lines * m_nCharHeight;
    if (dy < kH) m_dcText.Scroll(0, 0, kW, kH - dy, 0, dy);
    const int bandTop = (m_nRows - moved) * m_nCharHeight;
    m_dcText.FillRect(CRect{0, bandTop, m_nColumns * m_nCharWidth, m_nRows * m_nCharHeight}, 0);
    Grow(m_rcOutDirty, 0, 0, kW - 1, kH - 1);
    // The rows that scroll in may already hold text written while they were hidden.
    m_bTextDirty = 1;
}

void CSubCpu::ScrollGraphic(int oldStart) {
    const int delta = (m_nDispStart - oldStart) & 0x7FFF;
    const int lines = delta / 80;
    if (delta % 80 == 0 && lines >= 16 && lines <= 63) {
        // In 200-line mode each graphic line is two pixel rows of the layer.
        const int h = (Cell(io::kDisplay) & 0x40) ? 1 : 2;
        const int shownLines = kH / h;
        m_dcGraph.Scroll(0, 0, kW, kH - lines * h, 0, lines * h);
        const int top = std::clamp(m_rcGraphDirty.top - lines, 0, shownLines - lines);
        m_rcGraphDirty = CRect{0, top, kW - 1, kH - 1};
        Grow(m_rcOutDirty, 0, 0, kW - 1, kH - 1);
    } else {
        m_rcGraphDirty = CRect{0, 0, kW - 1, kH - 1};
    }
    m_bGraphDirty = 1;
}
