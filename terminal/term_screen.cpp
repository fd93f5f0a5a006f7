// Screen operations: cursor, erasing, scrolling, inserting and writing cells. Each one
// invalidates exactly the cells it changed.
#include <algorithm>

#include "terminal/term.h"

void CTerm::MoveCursor(int col, int row) {
    m_nCol = std::clamp(col, 0, m_nCols - 1);
    m_nRow = std::clamp(row, 0, m_nLines - 1);
}

void CTerm::FillCells(int x0, int y0, int x1, int y1) {
    for (int r = y0; r < y1; ++r)
        std::fill(ScreenRow(r) + x0, ScreenRow(r) + x1, m_curCell);
}

void CTerm::ClearArea(int x0, int y0, int x1, int y1) {
    x0 = std::clamp(x0, 0, m_nCols);
    x1 = std::clamp(x1, x0, m_nCols);
    y0 = std::clamp(y0, 0, m_nLines);
    y1 = std::clamp(y1, y0, m_nLines);
    FillCells(x0, y0, x1, y1);
    Invalidate(x0, y0, x1, y1);
}

void CTerm::ScrollUp(int top, int bottom) {
    bottom = std::clamp(bottom, 1, m_nLines);
    top = std::clamp(top, 0, m_nLines - 1);
    if (top == 0 && bottom == m_nLines) {
        // The whole screen: the old top row becomes the newest history line.
        int back = ScrollBack();
        m_nTopLine = RingRow(m_nTopLine, 1);
        if (m_nHistory < m_nHistoryMax) ++m_nHistory;
        // A live view stays live; a scrolled-back one keeps showing the same lines
        // as long as they are still kept.
        SetViewBack(back == 0 ? 0 : std::min(back + 1, m_nHistory));
    } else {
        for (int r = top; r < bottom - 1; ++r)
            std::copy_n(ScreenRow(r + 1), m_nCols, ScreenRow(r));
    }
    FillCells(0, bottom - 1, m_nCols, bottom);
    Invalidate(0, std::min(top, bottom - 1), m_nCols, bottom);
}

void CTerm::ScrollDown(int top, int bottom) {
    top = std::clamp(top, 0, m_nLines - 1);
    bottom = std::clamp(bottom, 0, m_nLines);
    for (int r = bottom - 1; r > top; --r)
        std::copy_n(ScreenRow(r - 1), m_nCols, ScreenRow(r));
    FillCells(0, top, m_nCols, top + 1);
    Invalidate(0, top, m_nCols, std::max(bottom, top + 1));
}

void CTerm::InsertChar() {
    TERMCELL* row = ScreenRow(m_nRow);
    std::copy_backward(row + m_nCol, row + m_nCols - 1, row + m_nCols);
    row[m_nCol] = m_curCell;
    Invalidate(m_nCol, m_nRow, m_nCols, m_nRow + 1);
}

void CTerm::DeleteChar() {
    TERMCELL* row = ScreenRow(m_nRow);
    std::copy(row + m_nCol + 1, row + m_nCols, row + m_nCol);
    row[m_nCols - 1] = m_curCell;
    Invalidate(m_nCol, m_nRow, m_nCols, m_nRow + 1);
}

void CTerm::LineFeed() {
    if (m_nRow >= m_nScrollBottom) {
        // Below the region the cursor moves down freely and stops at the last row.
        if (m_nRow < m_nLines - 1) ++m_nRow;
    } else if (m_nRow + 1 < m_nScrollBottom) {
        ++m_nRow;
    } else {
        ScrollUp(m_nScrollTop, m_nScrollBottom);
    }
}

void CTerm::PutChar(uint8_t c) {
    TERMCELL& cell = ScreenRow(m_nRow)[m_nCol];
    cell = m_curCell;
    cell.ch = c;
    Invalidate(m_nCol, m_nRow, m_nCol + 1, m_nRow + 1);
    if (++m_nCol >= m_nCols) {
        m_nCol = 0;
        LineFeed();
    }
}

void CTerm::PutWideChar(uint16_t code) {
    if (m_nCol >= m_nCols - 1) {
        // No room for both halves: the last column keeps what it had.
        m_nCol = 0;
        LineFeed();
    }
    TERMCELL* cell = ScreenRow(m_nRow) + m_nCol;
    cell[0] = m_curCell;
    cell[0].attr |= ATTR_LEAD;
    cell[0].ch = uint8_t(code >> 8);
    cell[1] = m_curCell;
    cell[1].attr |= ATTR_TRAIL;
    cell[1].ch = uint8_t(code);
    Invalidate(m_nCol, m_nRow, m_nCol + 2, m_nRow + 1);
    m_nCol += 2;
    if (m_nCol >= m_nCols) {
        m_nCol = 0;
        LineFeed();
    }
}
