// Control sequences (ESC [ parameters final): the parameter parser, its abandon rules
// and the final bytes. Parameters are bytes that accumulate decimal digits modulo 256.
#include <algorithm>

#include "terminal/term.h"

const std::array<CTerm::ActionFn, 128> CTerm::s_csi = [] {
    std::array<ActionFn, 128> t{};
    t['@'] = &CTerm::CsiInsertChar;
    t['A'] = &CTerm::CsiUp;
    t['B'] = &CTerm::CsiDown;
    t['C'] = &CTerm::CsiRight;
    t['D'] = &CTerm::CsiLeft;
    t['E'] = &CTerm::CsiNextLine;
    t['F'] = &CTerm::CsiPrevLine;
    t['G'] = t['`'] = &CTerm::CsiColumn;
    t['H'] = t['f'] = &CTerm::CsiPosition;
    t['J'] = &CTerm::CsiEraseScreen;
    t['K'] = &CTerm::CsiEraseLine;
    t['L'] = &CTerm::CsiInsertLine;
    t['M'] = &CTerm::CsiDeleteLine;
    t['P'] = &CTerm::CsiDeleteChar;
    t['S'] = &CTerm::CsiScrollUp;
    t['T'] = &CTerm::CsiReverseFeed;
    t['X'] = &CTerm::CsiEraseChars;
    t['Z'] = &CTerm::CsiBackTab;
    t['d'] = &CTerm::CsiRow;
    t['g'] = &CTerm::CsiClearTabs;
    t['h'] = t['l'] = &CTerm::CsiNothing;
    t['m'] = &CTerm::CsiRendition;
    t['n'] = &CTerm::CsiReport;
    t['r'] = &CTerm::CsiRegion;
    t['s'] = &CTerm::CsiSave;
    t['u'] = &CTerm::CsiRestore;
    t['v'] = &CTerm::CsiCursor;
    t['x'] = &CTerm::CsiColours;
    return t;
}();

void CTerm::Csi(uint8_t b) {
    m_nParseState = TS_GROUND;
    if (b >= '0' && b <= '9') {
        m_param[m_nParamCount] = uint8_t(m_param[m_nParamCount] * 10 + (b - '0'));
        m_nParseState = TS_CSI;
    } else if (b == ';') {
        ++m_nParamCount;
        m_nParseState = TS_CSI;
    } else if (b == ' ') {
        m_nParseState = TS_CSI;
    } else if (b < 0x80 && s_csi[b]) {
        (this->*s_csi[b])();
    } else {
        // Control bytes, bytes above 'x' and unknown finals abandon the sequence and
        // are read again as ordinary bytes.
        Ground(b);
    }
}

// Repeating an operation more often than there are rows or columns left gives the
// same screen, so the repeat counts below stop there.

void CTerm::CsiInsertChar() {
    for (int i = std::min(Count(), m_nCols - m_nCol); i > 0; --i)
        InsertChar();
}

void CTerm::CsiDeleteChar() {
    for (int i = std::min(Count(), m_nCols - m_nCol); i > 0; --i)
        DeleteChar();
}

void CTerm::CsiUp() {
    const int stop = m_nRow >= m_nScrollTop ? m_nScrollTop : 0;
    m_nRow = std::max(m_nRow - Count(), stop);
}

void CTerm::CsiDown() {
    const int stop = m_nRow < m_nScrollBottom ? m_nScrollBottom - 1 : m_nLines - 1;
    m_nRow = std::min(m_nRow + Count(), stop);
}

void CTerm::CsiRight() {
    MoveCursor(m_nCol + Count(), m_nRow);
}
void CTerm::CsiLeft() {
    MoveCursor(m_nCol - Count(), m_nRow);
}
void CTerm::CsiNextLine() {
    MoveCursor(0, m_nRow + Count());
}
void CTerm::CsiPrevLine() {
    MoveCursor(0, m_nRow - Count());
}
void CTerm::CsiColumn() {
    MoveCursor(m_param[0] ? m_param[0] - 1 : 0, m_nRow);
}
void CTerm::CsiRow() {
    MoveCursor(m_nCol, m_param[0] ? m_param[0] - 1 : 0);
}

void CTerm::CsiPosition() {
    MoveCursor(m_param[1] ? m_param[1] - 1 : 0, m_param[0] ? m_param[0] - 1 : 0);
}

void CTerm::CsiEraseScreen() {
    switch (m_param[0]) {
    case 0:
        ClearArea(m_nCol, m_nRow, m_nCols, m_nRow + 1);
        ClearArea(0, m_nRow + 1, m_nCols, m_nLines);
        break;
    case 1:
        ClearArea(0, 0, m_nCols, m_nRow);
        ClearArea(0, m_nRow, m_nCol, m_nRow + 1);
        break;
    case 2:
        ClearArea(0, 0, m_nCols, m_nLines);
        MoveCursor(0, 0); // home is row 0 here, whatever the scroll region
        break;
    default: break;
    }
}

void CTerm::CsiEraseLine() {
    switch (m_param[0]) {
    case 0: ClearArea(m_nCol, m_nRow, m_nCols, m_nRow + 1); break;
    case 1: ClearArea(0, m_nRow, m_nCol, m_nRow + 1); break;
    case 2: ClearArea(0, m_nRow, m_nCols, m_nRow + 1); break;
    default: break;
    }
}

void CTerm::CsiInsertLine() {
    if (m_nRow < m_nScrollTop || m_nRow >= m_nScrollBottom) return;
    for (int i = std::min(Count(), m_nScrollBottom - m_nRow); i > 0; --i)
        ScrollDown(m_nRow, m_nScrollBottom);
}

void CTerm::CsiDeleteLine() {
    if (m_nRow < m_nScrollTop || m_nRow >= m_nScrollBottom) return;
    // Deleting from the top of the whole screen feeds the history, one line each time.
    const bool history = m_nRow == 0 && m_nScrollBottom == m_nLines;
    int n = history ? Count() : std::min(Count(), m_nScrollBottom - m_nRow);
    for (; n > 0; --n)
        ScrollUp(m_nRow, m_nScrollBottom);
}

void CTerm::CsiScrollUp() {
    const bool whole = m_nScrollTop == 0 && m_nScrollBottom == m_nLines;
    for (int i = Count(); i > 0; --i) {
        if (!whole && m_nRow == m_nScrollBottom - 1) {
            // Every further feed scrolls the region; more than its height clears it.
            for (i = std::min(i, m_nScrollBottom - m_nScrollTop); i > 0; --i)
                ScrollUp(m_nScrollTop, m_nScrollBottom);
            break;
        }
        LineFeed();
    }
}

void CTerm::CsiReverseFeed() {
    int scrolls = 0;
    for (int i = Count(); i > 0; --i) {
        if (m_nRow > m_nScrollTop || (m_nRow < m_nScrollTop && m_nRow > 0)) {
            --m_nRow;
        } else if (m_nRow == m_nScrollTop && scrolls++ < m_nScrollBottom - m_nScrollTop) {
            ScrollDown(m_nScrollTop, m_nScrollBottom);
        }
    }
}

void CTerm::CsiEraseChars() {
    ClearArea(m_nCol, m_nRow, std::min(m_nCol + Count(), m_nCols), m_nRow + 1);
}

void CTerm::CsiBackTab() {
    int c = m_nCol - 1;
    while (c > 0 && !IsTabStop(c))
        --c;
    m_nCol = std::max(c, 0);
}

void CTerm::CsiClearTabs() {
    if (m_param[0] != 2) return;
    for (int c = 0; c < m_nCols && c < 256; ++c)
        m_tabStops[c >> 3] &= uint8_t(~(1 << (c & 7)));
}

void CTerm::CsiRendition() {
    for (int i = 0; i <= m_nParamCount; ++i) {
        const int p = m_param[i];
        switch (p) {
        case 0: m_curCell.attr = 0; break;
        case 1: m_curCell.attr |= ATTR_BRIGHT; break;
        case 4:
        case 6: m_curCell.attr |= ATTR_UNDER; break;
        case 5: m_curCell.attr |= ATTR_BLINK; break;
        case 7: m_curCell.attr |= ATTR_REVERSE; break;
        case 8: m_curCell.attr |= ATTR_SECRET; break;
        default:
            if (p >= 30 && p <= 37) m_curCell.fg = uint8_t(p - 30);
            if (p >= 40 && p <= 47) m_curCell.bg = uint8_t(p - 40);
            break;
        }
    }
}

void CTerm::PutNumber(int n) {
    if (n >= 10) PutNumber(n / 10);
    PutKey(uint8_t('0' + n % 10));
}

void CTerm::CsiReport() {
    if (m_param[0] == 5) {
        for (char c : {'\x1B', '[', '0', 'n'})
            PutKey(uint8_t(c));
    } else if (m_param[0] == 6) {
        PutKey(0x1B);
        PutKey('[');
        PutNumber(m_nRow + 1);
        PutKey(';');
        PutNumber(m_nCol + 1);
        PutKey('R');
    }
}

void CTerm::CsiRegion() {
    const int first = m_param[0] ? m_param[0] - 1 : 0;
    const int p2 = m_param[1];
    const int last = m_nParamCount >= 1 && p2 >= 1 && p2 <= m_nLines ? p2 - 1 : m_nLines - 1;
    if (first >= last) return;
    m_nScrollTop = first;
    m_nScrollBottom = last + 1;
}

void CTerm::CsiSave() {
    m_nSaveCol = m_nCol;
    m_nSaveRow = m_nRow;
}

void CTerm::CsiRestore() {
    MoveCursor(m_nSaveCol, m_nSaveRow);
}

void CTerm::CsiCursor() {
    if (m_param[0] == 0)
        CursorOn();
    else
        CursorOff();
}

void CTerm::CsiColours() {
    const uint8_t c = m_param[1] & 15;
    switch (m_param[0]) {
    case 0: m_curCell.fg = 7, m_curCell.bg = 0, m_curCell.attr = 0; break;
    case 1: m_curCell.bg = c; break;
    case 2: m_curCell.fg = c; break;
    case 3: m_curCell.fg = m_curCell.bg = c; break;
    case 5: m_curCell.attr |= ATTR_REVERSE, m_curCell.bg = c; break;
    case 6: m_curCell.attr |= ATTR_REVERSE, m_curCell.fg = c; break;
    case 7: m_curCell.attr |= ATTR_REVERSE, m_curCell.fg = m_curCell.bg = c; break;
    default: break;
    }
}
