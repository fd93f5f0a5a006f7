// Mouse selection over the machine's text cells and the clipboard text made from it.
// Cells are numbered row x columns + column from the top left. The selection is a
// stream: it runs forward in reading order from its start cell to its end cell, both
// inclusive, and always keeps the cell where the button went down.
#pragma once

#include <cstdint>
#include <string>

// Selection states of the view (m_nSelMode).
enum : int {
    kSelIdle = 0,
    kSelAnchor = 1, // button down, pointer still on the anchor cell
    kSelEnd = 3,    // the end of the range follows the pointer
    kSelStart = 4,  // the start of the range follows the pointer
};

// The cell under client point (x, y) of a W x H client area showing the 640 x 400
// screen, cells cw x ch pixels, cols x rows of them. A point outside the client area
// (the mouse is captured while the button is held) counts as the nearest edge.
int CellAtPoint(int x, int y, int W, int H, int cols, int rows, int cw, int ch);

// Moves the range for pointer cell c and returns the new state.
int ApplySelRange(int mode, int& start, int& end, int c);

// The text of cells s..e (low bytes of `cells`, cols per row) as clipboard bytes, rows
// trimmed and joined as SelectionText (platform/clip_text.h) does.
std::string MakeClipText(const uint16_t* cells, int cols, int s, int e);
