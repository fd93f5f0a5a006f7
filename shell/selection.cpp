#include "shell/selection.h"

#include <algorithm>

#include "platform/clip_text.h"

int CellAtPoint(int x, int y, int W, int H, int cols, int rows, int cw, int ch) {
    if (W <= 0 || H <= 0 || cols <= 0 || rows <= 0 || cw <= 0 || ch <= 0) return 0;
    x = std::clamp(x, 0, W - 1);
    y = std::clamp(y, 0, H - 1);
    const int row = std::min(((y * 400) / H) / ch, rows - 1);
    const int col = std::min(((x * 640) / W) / cw, cols - 1);
    return row * cols + col;
}

int ApplySelRange(int mode, int& start, int& end, int c) {
    switch (mode) {
    case kSelAnchor:
        if (c < start) {
            start = c;
            return kSelStart;
        }
        if (c > end) {
            end = c;
            return kSelEnd;
        }
        return kSelAnchor;
    case kSelEnd:
        if (c >= start) {
            end = c;
            return kSelEnd;
        }
        end = start;
        start = c;
        return kSelStart;
    case kSelStart:
        if (c <= end) {
            start = c;
            return kSelStart;
        }
        start = end;
        end = c;
        return kSelEnd;
    default: return mode;
    }
}

std::string MakeClipText(const uint16_t* cells, int cols, int s, int e) {
    return SelectionText(cols, s, e, [&](int r, int c) { return cells[r * cols + c] & 0xFF; });
}
