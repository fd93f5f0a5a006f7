// The mouse selection over a terminal's window lines (the screen as the window shows
// it, scrolled back or not) and the text it copies. Cells are numbered line x m_nCols +
// column; the state lives in CTerm's m_nSelState, m_nSelStart and m_nSelEnd, and the
// highlight in the cells' ATTR_SELECT bits. The window calls these from its mouse
// handlers; the copied text is CP932 for the window to put on the clipboard.
#pragma once

#include <optional>
#include <string>

#include "terminal/term.h"

// The cell under window pixel (x, y), clamped to the screen (the mouse may be captured
// outside the window).
int SelCellAt(const CTerm& t, int x, int y);

// Left button down: a click on one cell.
void SelPress(CTerm& t, int cell);
// Mouse moved to cell: the end or the start follows it.
void SelMove(CTerm& t, int cell);
// Left button up at cell: the text to copy, or nothing for a click without drag. The
// selection ends either way.
std::optional<std::string> SelRelease(CTerm& t, int cell);
// Left double-click: the word around cell; a byte >= 0x30 belongs to a word.
void SelWord(CTerm& t, int cell);

// Sets ATTR_SELECT on the selected cells of the window lines, clears it everywhere
// else, and repaints the window.
void ShowSelection(CTerm& t);
// The selected text, lines trimmed and joined as SelectionText (platform/clip_text.h)
// does: LF between lines unless a line's text reached the last column.
std::string CopySelection(const CTerm& t);
