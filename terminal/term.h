// CTerm: the model of one serial terminal: an 80x25 character screen in a ring of 1024
// rows (the rows above the screen are up to 999 lines of history), the colours and
// attributes of the next character, tab stops, scroll region, function-key strings,
// the caret state, and the 1024-byte input queue that the machine reads.
//
// The main board calls Write for every byte the machine transmits and drains the
// input queue (m_inBuf, m_nInCount, m_nInRead) directly; keys, answers and pasted text
// enter it only through PutKey, and m_bInput tells the board something arrived.
// The terminal's window, if any, is reached only through m_pWnd: every change of cells
// invalidates its pixel rectangle, and a cursor move posts ID_TERM_CARET. With no
// window (m_pWnd null, or a window that no longer exists) the model works on alone.
// The window paints from ViewRow and keeps its scroll bar at m_nHistory - ScrollBack();
// both change only together with an invalidation.
//
// Files: term.cpp (state, ring, window seam, caret, scroll-back), term_screen.cpp
// (screen operations), term_write.cpp (Write, ground and prefixed states, ESC),
// term_csi.cpp (control sequences), term_input.cpp (input queue).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/wnd.h"

// One character position.
struct TERMCELL {
    uint8_t fg;   // foreground colour index 0-15
    uint8_t bg;   // background colour index 0-15
    uint8_t attr; // ATTR_* bits
    uint8_t ch;   // character byte; 0 is an empty cell, shown as a blank
};

enum : uint8_t {
    ATTR_SELECT = 0x01,  // in the mouse selection (only the selection display sets it)
    ATTR_SECRET = 0x02,  // character drawn in the background colour
    ATTR_UNDER = 0x04,   // underlined
    ATTR_BLINK = 0x08,   // drawn as reverse
    ATTR_REVERSE = 0x10, // reverse video
    ATTR_BRIGHT = 0x20,  // foreground index ORed with 8
    ATTR_TRAIL = 0x40,   // right half of a double-byte character
    ATTR_LEAD = 0x80,    // left half of a double-byte character
};

// m_nCaretState: whether the cursor is enabled, the window has the focus, a caret exists.
enum {
    CARET_NOFOCUS = 0,     // enabled, no focus
    CARET_SHOWN = 1,       // enabled, focus, caret shown at the cursor
    CARET_OFF_NOFOCUS = 2, // disabled, no focus
    CARET_OFF = 3,         // disabled, focus, no caret
    CARET_DESTROY = 4,     // disabled, focus, caret still there until the next caret command
    CARET_CREATE = 5,      // enabled, focus, caret made by the next caret command
};

// m_nParseState: the output interpreter's state.
enum {
    TS_GROUND = 0, // ordinary and control bytes
    TS_TRAIL = 1,  // a lead byte waits in m_param[0] for its trail byte
    TS_SKIP = 2,   // the next byte is swallowed
    TS_LOCATE = 3, // column, row
    TS_REPEAT = 4, // count, character
    TS_BLOCK = 5,  // a typed block
    TS_ESC = 6,    // the bytes after ESC
    TS_CSI = 7,    // parameters and final byte of ESC [
};

// m_nModifiers and m_nSelState, kept here for the window.
enum { TERM_CTRL = 0x20, TERM_SHIFT = 0x40 };
enum { SEL_NONE = 0, SEL_CLICK = 1, SEL_WORD = 2, SEL_END = 3, SEL_START = 4 };

// Terminal palette, 0x00RRGGBB: bit 0 of the index red, bit 1 green, bit 2 blue, bit 3 bright.
extern const uint32_t g_termPalette[16];

// The host's default beep (control byte 0x07). Nothing by default; the program sets it,
// tests replace it (nullptr: silent).
void SetTermBeep(std::function<void()> fn);

class CTerm {
public:
    static constexpr int kRingRows = 1024;
    static constexpr int kInSize = 1024;

    CTerm();
    ~CTerm();
    CTerm(const CTerm&) = delete;
    CTerm& operator=(const CTerm&) = delete;

    // The window attaches itself once it exists (this also flags input, so the board
    // evaluates the port and sends the byte it holds) and detaches when it is closed.
    void AttachWindow(CWnd* pWnd);
    void DetachWindow() { m_pWnd = nullptr; }
    // False when no window is attached or the attached one has been destroyed.
    bool HasWindow() const { return m_pWnd && m_pWnd->IsWindow(); }

    // The machine's output, one byte per call.
    void Write(uint8_t b);
    // Queue one byte for the machine; dropped when 1024 bytes are waiting.
    void PutKey(uint8_t b);

    // Caret enable as the interpreter sets it.
    void CursorOn();
    void CursorOff();

    // Screen operations (screen rows, not ring rows).
    void MoveCursor(int col, int row);
    void ClearArea(int x0, int y0, int x1, int y1);
    void ScrollUp(int top, int bottom);
    void ScrollDown(int top, int bottom);
    void InsertChar();
    void DeleteChar();
    void LineFeed();
    void PutChar(uint8_t c);
    void PutWideChar(uint16_t code);

    // For painting and tests: the cells of screen row r, and of window line r (the screen
    // as it stood ScrollBack() lines earlier); m_nCols cells each.
    TERMCELL* ScreenRow(int row) { return &m_pCells[RingRow(m_nTopLine, row) * m_nCols]; }
    const TERMCELL* ScreenRow(int row) const {
        return &m_pCells[RingRow(m_nTopLine, row) * m_nCols];
    }
    const TERMCELL* ViewRow(int line) const {
        return &m_pCells[RingRow(m_nViewLine, line) * m_nCols];
    }
    TERMCELL* ViewRow(int line) { return &m_pCells[RingRow(m_nViewLine, line) * m_nCols]; }
    // Scroll-back k: 0 is the live screen, at most m_nHistory. SetScrollBack clamps k,
    // moves the view, repaints the whole window and returns the k it set. The scroll
    // bar position is m_nHistory - k.
    int ScrollBack() const;
    int SetScrollBack(int k);
    bool IsLive() const { return m_nViewLine == m_nTopLine; }
    bool IsTabStop(int col) const;
    int ClientWidth() const { return m_nCols * m_cxCell; }
    int ClientHeight() const { return m_nLines * m_cyCell; }

    CWnd* m_pWnd = nullptr;

    // State, read directly by the main board and the window. m_nCols and m_nLines
    // never change.
    int m_bInput = 0;
    int m_nPostCol = -1, m_nPostRow = -1;
    int m_nSaveCol = 0, m_nSaveRow = 0;
    int m_nCol = 0, m_nRow = 0;
    int m_nCols = 80, m_nLines = 25;
    int m_nScrollTop = 0, m_nScrollBottom = 25;
    int m_cxCell = 8, m_cyCell = 16;
    int m_bDoubleByte = 1;
    int m_nModifiers = 0;
    int m_nCaretState = CARET_NOFOCUS;
    uint8_t m_nParamCount = 0;
    uint8_t m_param[256] = {};
    int m_nParseState = TS_GROUND;
    TERMCELL m_curCell = {7, 0, 0, 0};
    std::unique_ptr<TERMCELL[]> m_pCells; // kRingRows rows of m_nCols cells
    uint8_t m_tabStops[32];
    int m_nInCount = 0;
    int m_nInWrite = 0;
    int m_nInRead = 0;
    uint8_t m_inBuf[kInSize] = {};
    std::array<std::string, 10> m_strFKey;
    int m_nSelState = SEL_NONE, m_nSelStart = 0, m_nSelEnd = 0;
    int m_bCaretHidden = 0;
    int m_nHistoryMax = kRingRows - 25;
    int m_nHistory = 0;
    int m_nTopLine = 0;
    int m_nViewLine = 0;

private:
    using ByteFn = void (CTerm::*)(uint8_t);
    using ActionFn = void (CTerm::*)();
    struct EscEntry {
        uint8_t count; // bytes after ESC the sequence needs, its first byte included
        ActionFn fn;
    };
    static const std::array<ByteFn, 8> s_state;
    static const std::array<ActionFn, 32> s_ground;
    static const std::array<EscEntry, 128> s_esc;
    static const std::array<ActionFn, 128> s_csi;

    static int RingRow(int base, int row) {
        int r = base + row;
        return r >= kRingRows ? r - kRingRows : r;
    }
    void Invalidate(int x0, int y0, int x1, int y1); // cell rectangle, end exclusive
    void InvalidateAll();
    void FillCells(int x0, int y0, int x1, int y1);
    void SetViewBack(int k); // scroll-back without repainting
    void ReturnToLive();
    void Announce();
    void Beep();

    // Interpreter states (term_write.cpp, term_csi.cpp).
    void Ground(uint8_t b);
    void Trail(uint8_t b);
    void Skip(uint8_t b);
    void Locate(uint8_t b);
    void Repeat(uint8_t b);
    void Block(uint8_t b);
    void Esc(uint8_t b);
    void Csi(uint8_t b);
    void Store(uint8_t b) { m_param[m_nParamCount++] = b; }
    void TypedBlock();

    // Ground-state control bytes.
    void CtlEraseLine();
    void CtlBell();
    void CtlBackspace();
    void CtlTab();
    void CtlLineFeed();
    void CtlHome();
    void CtlClear();
    void CtlReturn();
    void CtlSkip();
    void CtlLocate();
    void CtlRepeat();
    void CtlBlock();
    void CtlEscape();
    void CtlRight();
    void CtlLeft();
    void CtlUp();
    void CtlDown();

    // ESC sequences.
    void EscSetTab();
    void EscClearTab();
    void EscClearTabs();
    void EscCursor();
    void EscLocate();
    void EscReport();
    void EscInsertLine();
    void EscAttribute();
    void EscDeleteLine();
    void EscEraseScreen();
    void EscIgnore() {}
    void EscCsi();

    // Control-sequence finals.
    int Count() const { return m_param[0] ? m_param[0] : 1; }
    void CsiInsertChar();
    void CsiUp();
    void CsiDown();
    void CsiRight();
    void CsiLeft();
    void CsiNextLine();
    void CsiPrevLine();
    void CsiColumn();
    void CsiPosition();
    void CsiEraseScreen();
    void CsiEraseLine();
    void CsiInsertLine();
    void CsiDeleteLine();
    void CsiDeleteChar();
    void CsiScrollUp();
    void CsiReverseFeed();
    void CsiEraseChars();
    void CsiBackTab();
    void CsiRow();
    void CsiClearTabs();
    void CsiNothing() {}
    void CsiRendition();
    void CsiReport();
    void CsiRegion();
    void CsiSave();
    void CsiRestore();
    void CsiCursor();
    void CsiColours();
    void PutNumber(int n);
};
