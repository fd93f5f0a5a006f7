// Helpers for the terminal tests: feeding bytes and reading the screen as text.
#pragma once

#include <string>
#include <string_view>

#include "terminal/term.h"

inline void Feed(CTerm& t, std::string_view bytes) {
    for (char c : bytes)
        t.Write(uint8_t(c));
}

// One screen row as text: empty cells as blanks, trailing blanks removed.
inline std::string RowText(const TERMCELL* row, int cols = 80) {
    std::string s;
    for (int c = 0; c < cols; ++c)
        s += row[c].ch ? char(row[c].ch) : ' ';
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

inline std::string Row(const CTerm& t, int r) {
    return RowText(t.ScreenRow(r), t.m_nCols);
}

inline std::string Screen(const CTerm& t, int n) {
    std::string s;
    for (int r = 0; r < n; ++r)
        s += Row(t, r) + "\n";
    return s;
}

// Everything waiting in the input queue, taken out as the serial port does.
inline std::string Drain(CTerm& t) {
    std::string s;
    while (t.m_nInCount > 0) {
        s += char(t.m_inBuf[t.m_nInRead]);
        if (++t.m_nInRead >= CTerm::kInSize) t.m_nInRead = 0;
        --t.m_nInCount;
    }
    return s;
}

// Fill rows 0..n-1 with a letter per row ('a' for row 0...), 80 columns each, and home.
inline void FillRows(CTerm& t, int n) {
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < 80; ++c) {
            TERMCELL& cell = t.ScreenRow(r)[c];
            cell = t.m_curCell;
            cell.ch = uint8_t('a' + r);
        }
}
