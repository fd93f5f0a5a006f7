// Helpers of the terminal window tests: the window under test, feeding the model, draining
// its input queue, and reading the window's cells off its picture.
#pragma once

#include <QImage>
#include <QSet>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "terminal/qt/term_wnd.h"
#include "terminal/term.h"
#include "tests/terminal/term_util.h" // Feed, Drain

// A model and its window, made afresh for each test function by the test's init().
struct TermWindowTest {
    std::unique_ptr<CTerm> m_term;
    CTermWnd* m_wnd = nullptr;
    CTerm& T() { return *m_term; }
    void Open(const char* title) {
        m_term = std::make_unique<CTerm>();
        m_wnd = new CTermWnd(m_term.get(), title);
    }
    void Close() {
        delete m_wnd;
        m_term.reset();
    }
};

inline QRgb Pal(int i) {
    return QColor::fromRgb(g_termPalette[i]).rgb();
}

// The window's cells as they are drawn: cols x 1 cells from (col, line).
inline QImage Grab(CTermWnd& w, int col, int line, int cols = 1) {
    const CTerm& t = *w.Term();
    QRect rc(col * t.m_cxCell, line * t.m_cyCell, cols * t.m_cxCell, t.m_cyCell);
    return w.grab(rc).toImage().convertToFormat(QImage::Format_RGB32);
}

// The colours of a picture, each once.
inline QSet<QRgb> Colours(const QImage& img) {
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            colours.insert(img.pixel(x, y));
    return colours;
}

// A character in `fore` on `back`: background in the top left corner, some text, and
// every pixel a mix of the two colours.
inline bool Shows(const QImage& cell, QRgb fore, QRgb back) {
    const auto between = [](int v, int a, int b) {
        return std::min(a, b) <= v && v <= std::max(a, b);
    };
    const QSet<QRgb> colours = Colours(cell);
    return cell.pixel(0, 0) == back && colours.size() > 1 &&
           std::all_of(colours.begin(), colours.end(), [&](QRgb c) {
               return between(qRed(c), qRed(fore), qRed(back)) &&
                      between(qGreen(c), qGreen(fore), qGreen(back)) &&
                      between(qBlue(c), qBlue(fore), qBlue(back));
           });
}

// The first row of a cell with text on it: the text stands on the baseline, the font's
// ascent below the cell's top, so this is ascent + the glyph's top.
inline int FirstTextRow(const QImage& cell) {
    int y = 0;
    while (y < cell.height() && Colours(cell.copy(0, y, cell.width(), 1)).size() == 1)
        ++y;
    return y;
}

// The first column of a window line that does not show `text` (grey on black), -1 when
// none: a blank shows the background only, any other character the text colour, and two
// cells look alike exactly when they hold the same character.
inline int LineMismatch(CTermWnd& w, int line, const std::string& text) {
    const CTerm& t = *w.Term();
    const QImage all = Grab(w, 0, line, t.m_nCols);
    std::vector<QImage> cells;
    const auto at = [&](int c) { return c < int(text.size()) ? text[c] : ' '; };
    for (int c = 0; c < t.m_nCols; ++c) {
        cells.push_back(all.copy(c * t.m_cxCell, 0, t.m_cxCell, t.m_cyCell));
        if (at(c) == ' ' ? Colours(cells[c]) != QSet<QRgb>{Pal(0)}
                         : !Shows(cells[c], Pal(7), Pal(0)))
            return c;
        for (int o = 0; o < c; ++o)
            if ((cells[o] == cells[c]) != (at(o) == at(c))) return c;
    }
    return -1;
}
