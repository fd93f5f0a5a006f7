// The output interpreter: Write, the ground state with its control bytes, double-byte
// characters, the 0x11-0x14 prefixed sequences and the ESC sequences. Control sequences
// (ESC [) are in term_csi.cpp.
#include <algorithm>

#include "terminal/term.h"

const std::array<CTerm::ByteFn, 8> CTerm::s_state = {
    &CTerm::Ground, &CTerm::Trail, &CTerm::Skip, &CTerm::Locate,
    &CTerm::Repeat, &CTerm::Block, &CTerm::Esc,  &CTerm::Csi,
};

void CTerm::Write(uint8_t b) {
    ReturnToLive();
    const ByteFn fn = s_state[m_nParseState];
    (this->*fn)(b);
    Announce();
}

// --- Ground state ---

const std::array<CTerm::ActionFn, 32> CTerm::s_ground = [] {
    std::array<ActionFn, 32> t{}; // the bytes left out are characters
    t[0x05] = &CTerm::CtlEraseLine;
    t[0x07] = &CTerm::CtlBell;
    t[0x08] = &CTerm::CtlBackspace;
    t[0x09] = &CTerm::CtlTab;
    t[0x0A] = &CTerm::CtlLineFeed;
    t[0x0B] = &CTerm::CtlHome;
    t[0x0C] = t[0x15] = t[0x16] = &CTerm::CtlClear;
    t[0x0D] = &CTerm::CtlReturn;
    t[0x11] = &CTerm::CtlSkip;
    t[0x12] = &CTerm::CtlLocate;
    t[0x13] = &CTerm::CtlRepeat;
    t[0x14] = &CTerm::CtlBlock;
    t[0x1B] = &CTerm::CtlEscape;
    t[0x1C] = &CTerm::CtlRight;
    t[0x1D] = &CTerm::CtlLeft;
    t[0x1E] = &CTerm::CtlUp;
    t[0x1F] = &CTerm::CtlDown;
    return t;
}();

static bool IsLeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
}

void CTerm::Ground(uint8_t b) {
    if (b < 0x20 && s_ground[b]) {
        (this->*s_ground[b])();
    } else if (IsLeadByte(b)) {
        if (m_bDoubleByte) {
            m_param[0] = b;
            m_nParseState = TS_TRAIL;
        } else {
            PutChar(0x02);
        }
    } else {
        PutChar(b); // control codes without an action are shown as characters
    }
}

void CTerm::CtlEraseLine() {
    ClearArea(m_nCol, m_nRow, m_nCols, m_nRow + 1);
}
void CTerm::CtlBell() {
    Beep();
}

void CTerm::CtlBackspace() {
    if (--m_nCol < 0) {
        m_nCol = m_nCols - 1;
        if (--m_nRow < 0) m_nRow = 0;
    }
}

void CTerm::CtlTab() {
    int left = m_nCols - m_nCol;
    do {
        PutChar(' ');
    } while (--left > 0 && !IsTabStop(m_nCol));
}

void CTerm::CtlLineFeed() {
    LineFeed();
}

void CTerm::CtlHome() {
    m_nCol = 0;
    m_nRow = m_nScrollTop;
}

void CTerm::CtlClear() {
    ClearArea(0, 0, m_nCols, m_nLines);
    CtlHome();
}

void CTerm::CtlReturn() {
    m_nCol = 0;
}
void CTerm::CtlSkip() {
    m_nParseState = TS_SKIP;
}

void CTerm::CtlLocate() {
    m_nParamCount = 0;
    m_nParseState = TS_LOCATE;
}

void CTerm::CtlRepeat() {
    m_nParamCount = 0;
    m_nParseState = TS_REPEAT;
}

void CTerm::CtlBlock() {
    m_nParamCount = 0;
    m_nParseState = TS_BLOCK;
}

void CTerm::CtlEscape() {
    m_nParamCount = 0;
    m_nParseState = TS_ESC;
}

// The four cursor keys' codes wrap around the screen and ignore the scroll region.
void CTerm::CtlRight() {
    m_nCol = m_nCol + 1 >= m_nCols ? 0 : m_nCol + 1;
}
void CTerm::CtlLeft() {
    m_nCol = m_nCol == 0 ? m_nCols - 1 : m_nCol - 1;
}
void CTerm::CtlUp() {
    m_nRow = m_nRow == 0 ? m_nLines - 1 : m_nRow - 1;
}
void CTerm::CtlDown() {
    m_nRow = m_nRow + 1 >= m_nLines ? 0 : m_nRow + 1;
}

// --- Double-byte characters and the prefixed sequences ---

void CTerm::Trail(uint8_t b) {
    m_nParseState = TS_GROUND;
    if ((b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC))
        PutWideChar(uint16_t(m_param[0] << 8 | b));
    else
        Ground(b); // the lead byte is dropped
}

void CTerm::Skip(uint8_t) {
    m_nParseState = TS_GROUND;
}

void CTerm::Locate(uint8_t b) {
    Store(b);
    if (m_nParamCount < 2) return;
    m_nParseState = TS_GROUND;
    MoveCursor(m_param[0], m_param[1]);
}

void CTerm::Repeat(uint8_t b) {
    Store(b);
    if (m_nParamCount < 2) return;
    m_nParseState = TS_GROUND;
    for (int i = 0; i < m_param[0]; ++i)
        PutChar(m_param[1]);
}

void CTerm::Block(uint8_t b) {
    Store(b);
    switch (m_param[0]) {
    case 0x0E:
    case 0x0F:
        // type, one byte not examined, length L, L data bytes, final byte
        if (m_nParamCount >= 3 && m_nParamCount >= m_param[2] + 4) {
            m_nParseState = TS_GROUND;
            TypedBlock();
        }
        break;
    case 'K':
        if (m_nParamCount >= 2) {
            m_nParseState = TS_GROUND;
            m_bDoubleByte = m_param[1] != 0;
        }
        break;
    default: m_nParseState = TS_GROUND; break;
    }
}

void CTerm::TypedBlock() {
    const int len = m_param[2];
    const uint8_t* d = m_param + 3;
    // A command reads only bytes inside its own block; a block too short for its
    // command does nothing rather than act on what earlier sequences left behind.
    if (d[len] != 0x03 || len < 4) return;
    switch (d[2]) {
    case 0x0E:
        if (d[3] == 0) CursorOff();
        break;
    case 0x0F:
        if (d[3] == 0) CursorOn();
        break;
    case 0x2A: { // function-key string: key number, length n < 16, n bytes
        if (len < 5) break;
        const int key = d[3], n = d[4];
        if (key < 1 || key > 9 || n >= 16 || len < n + 5) break;
        const uint8_t* s = d + 5;
        m_strFKey[key - 1].assign(s, std::find(s, s + n, 0));
        break;
    }
    case 0x37: m_bDoubleByte = d[3] != 0; break;
    default: break;
    }
}

// --- ESC sequences ---

const std::array<CTerm::EscEntry, 128> CTerm::s_esc = [] {
    std::array<EscEntry, 128> t{};
    t['*'] = {1, &CTerm::CtlClear};
    t['.'] = {3, &CTerm::EscCursor};
    t['1'] = {1, &CTerm::EscSetTab};
    t['2'] = {1, &CTerm::EscClearTab};
    t['3'] = {1, &CTerm::EscClearTabs};
    t['='] = {3, &CTerm::EscLocate};
    t['?'] = {1, &CTerm::EscReport};
    t['E'] = {1, &CTerm::EscInsertLine};
    t['G'] = {2, &CTerm::EscAttribute};
    t['R'] = {1, &CTerm::EscDeleteLine};
    t['T'] = {1, &CTerm::CtlEraseLine};
    t['X'] = {2, &CTerm::EscIgnore};
    t['Y'] = {1, &CTerm::EscEraseScreen};
    t['['] = {1, &CTerm::EscCsi};
    return t;
}();

void CTerm::Esc(uint8_t b) {
    m_nParseState = TS_GROUND;
    Store(b);
    const uint8_t first = m_param[0];
    if (first >= 128 || !s_esc[first].fn) return; // unknown: the sequence ends here
    const EscEntry& e = s_esc[first];
    if (m_nParamCount < e.count)
        m_nParseState = TS_ESC;
    else
        (this->*e.fn)();
}

void CTerm::EscSetTab() {
    if (m_nCol < 256) m_tabStops[m_nCol >> 3] |= uint8_t(1 << (m_nCol & 7));
}

void CTerm::EscClearTab() {
    if (m_nCol < 256) m_tabStops[m_nCol >> 3] &= uint8_t(~(1 << (m_nCol & 7)));
}

void CTerm::EscClearTabs() {
    std::fill(std::begin(m_tabStops), std::end(m_tabStops), 0);
}

// Digits (bits 6-5 = 01) switch the cursor off, anything else on.
void CTerm::EscCursor() {
    if ((m_param[1] & 0x60) == 0x20)
        CursorOff();
    else
        CursorOn();
}

void CTerm::EscLocate() {
    MoveCursor(m_param[2] - 32, m_param[1] - 32);
}

void CTerm::EscReport() {
    PutKey(uint8_t(m_nRow + 32));
    PutKey(uint8_t(m_nCol + 32));
}

void CTerm::EscInsertLine() {
    ScrollDown(m_nRow, m_nScrollBottom);
}
void CTerm::EscDeleteLine() {
    ScrollUp(m_nRow, m_nScrollBottom);
}

void CTerm::EscAttribute() {
    m_curCell.fg = m_param[1] & 7;
    m_curCell.bg = 0;
    m_curCell.attr = m_param[1] & (ATTR_BLINK | ATTR_REVERSE | ATTR_BRIGHT);
}

void CTerm::EscEraseScreen() {
    ClearArea(m_nCol, m_nRow, m_nCols, m_nRow + 1);
    ClearArea(0, m_nRow + 1, m_nCols, m_nLines);
}

void CTerm::EscCsi() {
    m_nParseState = TS_CSI;
    m_nParamCount = 0;
    std::fill(std::begin(m_param), std::end(m_param), 0);
}
