// Screen drawing. Video memory and CRT controller writes only record what changed; at
// each tick RefreshScreen redraws the changed part of the graphic layer (three planes
// through the palette) and of the text layer (cells that differ from the shadow),
// composes text over graphics into the output layer, keeps the cursor inverted on it
// and invalidates the view.
#include <algorithm>

#include "display/io_cells.h"
#include "display/sub_cpu.h"
#include "platform/wnd.h"

namespace {
constexpr int kW = Surface::kWidth;
constexpr int kH = Surface::kHeight;
} // namespace

void CSubCpu::RefreshScreen() {
    const uint8_t enables = m_pMainIo[io::kFda0];
    if (m_bGraphDirty && (enables & 0x0C)) {
        const uint8_t mode = Cell(io::kDisplay);
        const int h = (mode & 0x40) ? 1 : 2;
        const int left = std::max(m_rcGraphDirty.left, 0);
        const int right = std::min(m_rcGraphDirty.right + 7, kW - 1);
        int top = std::clamp(m_rcGraphDirty.top, 0, kH - 1);
        int bottom = std::clamp(m_rcGraphDirty.bottom, 0, kH - 1);
        if (h == 2) {
            top = std::min(top * 2, kH - 1);
            bottom = std::min(bottom * 2 + 1, kH - 1);
        }
        if (left <= right && top <= bottom) {
            DrawGraphic(m_nDispBank, mode & 7, m_nDispStart, h, left, top, right, bottom);
            Grow(m_rcOutDirty, left, top, right, bottom);
        }
        m_rcGraphDirty = kEmpty;
        m_bGraphDirty = 0;
    }
    if (m_bTextDirty && (enables & 0x03)) {
        DrawText();
        m_bTextDirty = 0;
    }
    if (m_rcOutDirty.left <= m_rcOutDirty.right) {
        if (m_cursorShown.blink != BLINK_OFF) InvertShown();
        m_cursorShown.blink = BLINK_OFF;
        ComposeLayers(m_rcOutDirty.left, m_rcOutDirty.top, m_rcOutDirty.right, m_rcOutDirty.bottom);
        UpdateCursor(true);
        m_bCursorDirty = 0;
        m_rcOutDirty = kEmpty;
    } else if (m_bCursorDirty) {
        UpdateCursor(true);
        m_bCursorDirty = 0;
    } else if (m_cursor.blink == BLINK_FAST || m_cursor.blink == BLINK_SLOW) {
        const int limit = m_cursor.blink == BLINK_FAST ? 4 : 8;
        if (m_nBlinkCount++ > limit) {
            UpdateCursor(m_nBlinkPhase != 0);
            m_nBlinkPhase ^= 1;
            m_nBlinkCount = 0;
        }
    }
}

void CSubCpu::DrawGraphic(int bank, int mask, int start, int lineHeight, int left, int top,
                          int right, int bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, kW - 1);
    bottom = std::min(bottom, kH - 1);
    const uint8_t* p0 = m_vram + ((bank & 3) << 17);
    const uint8_t* p1 = p0 + 0x8000;
    const uint8_t* p2 = p0 + 0x10000;
    uint32_t colors[8];
    for (int c = 0; c < 8; ++c)
        colors[c] = kColorTable[m_pPal[c & mask] & 15];
    uint32_t* bits = m_dcGraph.Bits();
    for (int y = top; y <= bottom; y += lineHeight) {
        const int base = start + (y / lineHeight) * 80;
        uint32_t* row = bits + y * kW;
        for (int x = left; x <= right; ++x) {
            const int o = (base + x / 8) & 0x7FFF;
            const int bit = 7 - (x & 7);
            const int c =
                ((p0[o] >> bit) & 1) | (((p1[o] >> bit) & 1) << 1) | (((p2[o] >> bit) & 1) << 2);
            row[x] = colors[c];
        }
        if (lineHeight == 2 && y + 1 < kH) std::copy(row + left, row + right + 1, row + kW + left);
    }
}

void CSubCpu::DrawText() {
    const int n = m_nRows * m_nColumns;
    for (int i = 0; i < n; ++i) {
        const auto cellWord = [this](int screenCell) {
            const int t = ((m_nTextStart + screenCell) & 2047) * 2;
            return uint16_t(m_mem[t] | m_mem[t + 1] << 8);
        };
        const uint16_t w = cellWord(i);
        if (w == m_wTextShadow[i]) continue;
        const int attr = w >> 8;
        const int color = (attr & 7) + ((attr & 0x20) ? 8 : 0);
        const int fg = (attr & 0x08) ? 0 : color;
        const int bg = (attr & 0x08) ? color : 0;
        const int x = (i % m_nColumns) * m_nCharWidth;
        const int y = (i / m_nColumns) * m_nCharHeight;
        const uint8_t ch = uint8_t(w);
        if (ch == 0x00 || ch == 0x20) {
            int run = 1;
            m_wTextShadow[i] = w;
            while (i + run < n && (i + run) % m_nColumns != 0 && cellWord(i + run) == w)
                m_wTextShadow[i + run++] = w;
            m_dcText.FillRect(CRect{x, y, x + run * m_nCharWidth, y + m_nCharHeight},
                              kColorTable[bg]);
            Grow(m_rcOutDirty, x, y, x + run * m_nCharWidth - 1, y + m_nCharHeight - 1);
            i += run - 1;
        } else {
            DrawGlyph(x, y, fg, bg, ch);
            m_wTextShadow[i] = w;
            Grow(m_rcOutDirty, x, y, x + m_nCharWidth - 1, y + m_nCharHeight - 1);
        }
    }
}

void CSubCpu::DrawGlyph(int x, int y, int fg, int bg, uint8_t ch) {
    const uint8_t* glyph = m_pFont + ch * 16;
    const uint32_t fore = kColorTable[fg & 15], back = kColorTable[bg & 15];
    const bool wide = m_nCharWidth == 16;
    for (int r = 0; r < 16; ++r) {
        for (int b = 0; b < 8; ++b) {
            const uint32_t c = (glyph[r] >> b) & 1 ? fore : back;
            if (wide) {
                m_dcText.SetPixel(x + 2 * b, y + r, c);
                m_dcText.SetPixel(x + 2 * b + 1, y + r, c);
            } else {
                m_dcText.SetPixel(x + b, y + r, c);
            }
        }
    }
}

void CSubCpu::ComposeLayers(int left, int top, int right, int bottom) {
    const int w = right - left + 1, h = bottom - top + 1;
    m_dcOut.Copy(left, top, w, h, m_dcGraph, left, top);
    m_dcOut.CopyOr(left, top, w, h, m_dcText, left, top);
    if (m_pWnd) m_pWnd->InvalidateRect(nullptr, true);
}

void CSubCpu::UpdateCursor(bool show) {
    if (m_cursorShown.blink != BLINK_OFF) InvertShown();
    if (show) {
        m_cursorShown = m_cursor;
        if (m_cursorShown.blink != BLINK_OFF) InvertShown();
    } else {
        m_cursorShown.blink = BLINK_OFF;
    }
}

void CSubCpu::InvertShown() {
    const Cursor& c = m_cursorShown;
    const int y = c.row * m_nCharHeight;
    InvertCursor(c.column * m_nCharWidth, y + c.first, (c.column + 1) * m_nCharWidth,
                 y + c.last + 1);
}

void CSubCpu::InvertCursor(int x0, int y0, int x1, int y1) {
    m_dcOut.InvertRect(CRect{x0, y0, x1, y1});
    if (!m_pWnd) return;
    // A cursor address past the text area lies far outside the layer: clip first.
    x0 = std::clamp(x0, 0, kW);
    x1 = std::clamp(x1, 0, kW);
    y0 = std::clamp(y0, 0, kH);
    y1 = std::clamp(y1, 0, kH);
    const int w = m_pWnd->ClientWidth(), h = m_pWnd->ClientHeight();
    const CRect rc{w * x0 / kW, h * y0 / kH, w * x1 / kW + 1, h * y1 / kH + 1};
    m_pWnd->InvalidateRect(&rc, true);
}
