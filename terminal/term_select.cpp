// Selection states, word selection, the highlight and the copied text.
#include "terminal/term_select.h"

#include <algorithm>

#include "platform/clip_text.h"

int SelCellAt(const CTerm& t, int x, int y) {
    int col = std::clamp(x / t.m_cxCell, 0, t.m_nCols - 1);
    int line = std::clamp(y / t.m_cyCell, 0, t.m_nLines - 1);
    return line * t.m_nCols + col;
}

void SelPress(CTerm& t, int cell) {
    t.m_nSelState = SEL_CLICK;
    t.m_nSelStart = t.m_nSelEnd = cell;
    ShowSelection(t);
}

namespace {

// The moving end follows cell; crossing the other end swaps the roles.
void Follow(CTerm& t, int cell) {
    if (t.m_nSelState == SEL_END) {
        if (cell < t.m_nSelStart) {
            t.m_nSelState = SEL_START;
            t.m_nSelEnd = t.m_nSelStart;
            t.m_nSelStart = cell;
        } else {
            t.m_nSelEnd = cell;
        }
    } else if (t.m_nSelState == SEL_START) {
        if (cell > t.m_nSelEnd) {
            t.m_nSelState = SEL_END;
            t.m_nSelStart = t.m_nSelEnd;
            t.m_nSelEnd = cell;
        } else {
            t.m_nSelStart = cell;
        }
    }
}

void EndSelection(CTerm& t) {
    t.m_nSelState = SEL_NONE;
    ShowSelection(t);
}

} // namespace

void SelMove(CTerm& t, int cell) {
    switch (t.m_nSelState) {
    case SEL_NONE: return;
    case SEL_CLICK:
    case SEL_WORD:
        if (cell < t.m_nSelStart) {
            t.m_nSelState = SEL_START;
            t.m_nSelStart = cell;
        } else if (cell > t.m_nSelEnd) {
            t.m_nSelState = SEL_END;
            t.m_nSelEnd = cell;
        }
        break;
    default: Follow(t, cell); break;
    }
    ShowSelection(t);
}

std::optional<std::string> SelRelease(CTerm& t, int cell) {
    if (t.m_nSelState == SEL_NONE || t.m_nSelState == SEL_CLICK) {
        EndSelection(t);
        return std::nullopt;
    }
    Follow(t, cell);
    std::string text = CopySelection(t);
    EndSelection(t);
    return text;
}

void SelWord(CTerm& t, int cell) {
    int line = cell / t.m_nCols;
    int col = cell % t.m_nCols;
    const TERMCELL* row = t.ViewRow(line);
    int first = col, last = col;
    while (first > 0 && row[first - 1].ch >= 0x30)
        --first;
    while (last < t.m_nCols - 1 && row[last + 1].ch >= 0x30)
        ++last;
    t.m_nSelState = SEL_WORD;
    t.m_nSelStart = line * t.m_nCols + first;
    t.m_nSelEnd = line * t.m_nCols + last;
    ShowSelection(t);
}

void ShowSelection(CTerm& t) {
    // Output during a drag may have moved the window lines, so the bits are cleared in
    // the whole ring, not only in the lines shown now.
    TERMCELL* cells = t.m_pCells.get();
    for (int i = 0; i < CTerm::kRingRows * t.m_nCols; ++i)
        cells[i].attr &= uint8_t(~ATTR_SELECT);
    if (t.m_nSelState != SEL_NONE) {
        int first = std::max(t.m_nSelStart, 0);
        int last = std::min(t.m_nSelEnd, t.m_nLines * t.m_nCols - 1);
        for (int n = first; n <= last; ++n)
            t.ViewRow(n / t.m_nCols)[n % t.m_nCols].attr |= ATTR_SELECT;
    }
    if (t.HasWindow()) t.m_pWnd->InvalidateRect(nullptr, true);
}

std::string CopySelection(const CTerm& t) {
    const int start = std::max(t.m_nSelStart, 0);
    const int end = std::min(t.m_nSelEnd, t.m_nLines * t.m_nCols - 1);
    return SelectionText(t.m_nCols, start, end,
                         [&](int line, int c) { return t.ViewRow(line)[c].ch; });
}
