// Helpers of the terminal window tests: feeding the model, draining its input queue,
// and expected pictures of cells drawn on their own with the window's font.
#pragma once

#include <QImage>
#include <QPainter>
#include <string>
#include <string_view>

#include "terminal/qt/term_wnd.h"
#include "terminal/term.h"
#include "tests/terminal/term_util.h" // Feed, Drain

inline QColor Pal(int i) {
    return QColor::fromRgb(g_termPalette[i]);
}

// The window's cells as they are drawn: cols x 1 cells from (col, line).
inline QImage Grab(CTermWnd& w, int col, int line, int cols = 1) {
    const CTerm& t = *w.Term();
    QRect rc(col * t.m_cxCell, line * t.m_cyCell, cols * t.m_cxCell, t.m_cyCell);
    return w.grab(rc).toImage().convertToFormat(QImage::Format_RGB32);
}

// One character (text, cells wide) drawn alone on back in colour fore.
inline QImage Expected(CTermWnd& w, const QString& text, int cells, QColor fore, QColor back,
                       bool underline = false) {
    const CTerm& t = *w.Term();
    QImage img(cells * t.m_cxCell, t.m_cyCell, QImage::Format_RGB32);
    img.fill(back);
    QPainter p(&img);
    p.setFont(w.TermFont());
    p.setPen(fore);
    if (text != " ") p.drawText(QPointF(0, QFontMetrics(w.TermFont()).ascent()), text);
    if (underline) p.fillRect(0, t.m_cyCell - 1, img.width(), 1, fore);
    return img;
}

// A window line of plain single-byte text (grey on black) as expected.
inline QImage ExpectedLine(CTermWnd& w, const std::string& text) {
    const CTerm& t = *w.Term();
    QImage img(t.m_nCols * t.m_cxCell, t.m_cyCell, QImage::Format_RGB32);
    img.fill(Pal(0));
    QPainter p(&img);
    for (size_t i = 0; i < text.size(); ++i)
        p.drawImage(int(i) * t.m_cxCell, 0,
                    Expected(w, QString(QChar(text[i])), 1, Pal(7), Pal(0)));
    return img;
}

// QCOMPARE for pictures that names the first differing pixel.
#define QCOMPARE_IMAGE(actual, expected)                                                           \
    do {                                                                                           \
        const QImage a_ = (actual), e_ = (expected);                                               \
        QCOMPARE(a_.size(), e_.size());                                                            \
        for (int i_ = 0; i_ < a_.width() * a_.height(); ++i_)                                      \
            if (a_.pixel(i_ % a_.width(), i_ / a_.width()) !=                                      \
                e_.pixel(i_ % a_.width(), i_ / a_.width()))                                        \
                QFAIL(qPrintable(QString("pixel (%1, %2) differs").arg(i_ % a_.width())             \
                                     .arg(i_ / a_.width())));                                      \
    } while (0)
