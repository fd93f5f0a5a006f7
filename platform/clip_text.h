// Clipboard text of the machine's screen and of the terminals, in both directions. The
// host clipboard ends its lines in LF; the machine's Enter is CR. Text copied out joins
// its lines with LF; text pasted in reaches the machine with one CR per line end. Both
// work on CP932 bytes: the caller converts to and from the clipboard's Unicode text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Pasted text as the bytes the machine receives: each host line end (LF, CR LF or a
// lone CR) becomes one CR (0x0D); a zero byte ends the text.
std::string PastedBytes(std::string_view text);

// The text of a stream selection of cells s..e (both inclusive, numbered row x cols +
// column), byteAt(row, column) giving a cell's character byte. Each row loses its
// trailing blanks (bytes 0x20 and below), every row after the first also its leading
// blanks left of the start column; a zero byte shows as a blank, every other byte is
// copied as it is. Rows are joined with LF, except after a row whose text reaches the
// last column: it runs on into the next.
template <class ByteAt> std::string SelectionText(int cols, int s, int e, ByteAt byteAt) {
    std::string text;
    if (cols <= 0 || s < 0 || e < s) return text;
    const int startRow = s / cols, startCol = s % cols, endRow = e / cols;
    for (int r = startRow; r <= endRow; ++r) {
        auto ch = [&](int c) { return uint8_t(byteAt(r, c)); };
        int first = r == startRow ? startCol : 0;
        int last = r == endRow ? e % cols : cols - 1;
        while (first < startCol && first < last && ch(first) <= 0x20)
            ++first;
        while (first <= last && ch(last) <= 0x20)
            --last;
        for (int c = first; c <= last; ++c)
            text += ch(c) == 0 ? ' ' : char(ch(c));
        if (r != endRow && last != cols - 1) text += '\n';
    }
    return text;
}
