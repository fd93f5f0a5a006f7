// CDluScale: dialog units to pixels for the debugger's windows, taken from the font
// the widgets use (a horizontal unit is a quarter of the average character width, a
// vertical unit an eighth of the character height), so the layout follows the font.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QRect>

class CDluScale {
public:
    explicit CDluScale(const QFont& font) {
        QFontMetricsF fm(font);
        m_x = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                  "abcdefghijklmnopqrstuvwxyz")) /
              52.0 / 4.0;
        m_y = fm.height() / 8.0;
    }
    int X(int dlu) const { return int(dlu * m_x + 0.5); }
    int Y(int dlu) const { return int(dlu * m_y + 0.5); }
    QRect Rect(int x, int y, int w, int h) const {
        return QRect(X(x), Y(y), X(x + w) - X(x), Y(y + h) - Y(y));
    }
    QSize Size(int w, int h) const { return QSize(X(w), Y(h)); }

private:
    double m_x, m_y;
};
