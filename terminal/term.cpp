// CTerm state, the ring, the window seam, the caret state and the scroll-back.
#include "terminal/term.h"

#include <algorithm>
#include <cstring>

const uint32_t g_termPalette[16] = {
    0x000000, 0xC40000, 0x00C400, 0xC4C400, 0x0000C4, 0xC400C4, 0x00C4C4, 0xC4C4C4,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

namespace {
std::function<void()>& BeepFn() {
    static std::function<void()> fn;
    return fn;
}
} // namespace

void SetTermBeep(std::function<void()> fn) {
    BeepFn() = std::move(fn);
}

CTerm::CTerm() : m_pCells(new TERMCELL[kRingRows * m_nCols]) {
    // Every ring row starts as an erased cell, so nothing ever reads an unset one.
    std::fill_n(m_pCells.get(), kRingRows * m_nCols, m_curCell);
    std::memset(m_tabStops, 0x01, sizeof m_tabStops);
}

CTerm::~CTerm() = default;

void CTerm::AttachWindow(CWnd* pWnd) {
    m_pWnd = pWnd;
    m_bInput = 1;
    m_nPostCol = -1;
}

void CTerm::Invalidate(int x0, int y0, int x1, int y1) {
    if (x1 <= x0 || y1 <= y0 || !HasWindow()) return;
    CRect rc{x0 * m_cxCell, y0 * m_cyCell, x1 * m_cxCell, y1 * m_cyCell};
    m_pWnd->InvalidateRect(&rc, true);
}

void CTerm::InvalidateAll() {
    Invalidate(0, 0, m_nCols, m_nLines);
}

void CTerm::Beep() {
    if (BeepFn()) BeepFn()();
}

bool CTerm::IsTabStop(int col) const {
    return col >= 0 && col < 256 && (m_tabStops[col >> 3] & (1 << (col & 7)));
}

void CTerm::CursorOff() {
    switch (m_nCaretState) {
    case CARET_NOFOCUS: m_nCaretState = CARET_OFF_NOFOCUS; break;
    case CARET_SHOWN:
    case CARET_CREATE:
        m_nCaretState = CARET_DESTROY;
        m_nPostCol = -1;
        break;
    default: break;
    }
}

void CTerm::CursorOn() {
    switch (m_nCaretState) {
    case CARET_OFF_NOFOCUS: m_nCaretState = CARET_NOFOCUS; break;
    case CARET_OFF:
    case CARET_DESTROY:
        m_nCaretState = CARET_CREATE;
        m_nPostCol = -1;
        break;
    default: break;
    }
}

int CTerm::ScrollBack() const {
    int k = m_nTopLine - m_nViewLine;
    return k < 0 ? k + kRingRows : k;
}

void CTerm::SetViewBack(int k) {
    m_nViewLine = m_nTopLine - k;
    if (m_nViewLine < 0) m_nViewLine += kRingRows;
}

int CTerm::SetScrollBack(int k) {
    k = std::clamp(k, 0, m_nHistory);
    SetViewBack(k);
    InvalidateAll();
    return k;
}

void CTerm::ReturnToLive() {
    if (m_nViewLine == m_nTopLine) return;
    m_nViewLine = m_nTopLine;
    m_bCaretHidden = 0;
    InvalidateAll();
    m_nPostCol = -1;
}

void CTerm::Announce() {
    if (m_nCol == m_nPostCol && m_nRow == m_nPostRow) return;
    m_nPostCol = m_nCol;
    m_nPostRow = m_nRow;
    if (HasWindow()) m_pWnd->PostCommand(ID_TERM_CARET);
}
