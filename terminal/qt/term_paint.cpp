// Painting: the window lines in runs of equal appearance, the input method's composition
// and the caret. Every byte keeps exactly one cell of advance: characters are drawn one
// by one at their cells, a double-byte character over two.
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "platform/cp932.h"
#include "terminal/qt/term_wnd.h"

namespace {

constexpr uint16_t kBlank = 0x20;
constexpr uint16_t kPairTail = 0xFFFF; // the right half of a double-byte character

QColor PaletteColour(int index) {
    return QColor::fromRgb(g_termPalette[index & 15]);
}

// The text of one cell's code: a byte, or lead << 8 | trail.
const QString& CodeText(uint16_t code) {
    static const std::array<QString, 256> single = [] {
        std::array<QString, 256> table;
        for (int b = 0; b < 256; ++b) {
            std::u16string u = Cp932ToUtf16(std::string(1, char(b)));
            table[b] = QString::fromStdU16String(u);
        }
        return table;
    }();
    if (code < 0x100) return single[code];
    static std::unordered_map<uint16_t, QString> pairs;
    auto it = pairs.find(code);
    if (it == pairs.end()) {
        const char bytes[2] = {char(code >> 8), char(code & 0xFF)};
        std::u16string u = Cp932ToUtf16(std::string_view(bytes, 2));
        // A pair that does not decode shows one mark over its two cells.
        QString text = u.size() == 1 ? QString::fromStdU16String(u) : QString(QChar(0xFFFD));
        it = pairs.emplace(code, text).first;
    }
    return it->second;
}

} // namespace

void CTermWnd::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    if (!m_pTerm) {
        p.fillRect(e->rect(), Qt::black);
        return;
    }
    const CTerm& t = *m_pTerm;
    const QRect area = e->rect();
    const int col0 = std::clamp(area.left() / t.m_cxCell, 0, t.m_nCols - 1);
    const int col1 = std::clamp(area.right() / t.m_cxCell, 0, t.m_nCols - 1);
    const int row0 = std::clamp(area.top() / t.m_cyCell, 0, t.m_nLines - 1);
    const int row1 = std::clamp(area.bottom() / t.m_cyCell, 0, t.m_nLines - 1);
    p.setFont(m_font);

    constexpr uint8_t kHalves = ATTR_LEAD | ATTR_TRAIL;
    std::array<uint16_t, 256> codes;
    for (int line = row0; line <= row1; ++line) {
        const TERMCELL* cells = t.ViewRow(line);
        int col = col0;
        // A character cut by the update rectangle is drawn whole.
        if (col > 0 && (cells[col].attr & ATTR_TRAIL) && (cells[col - 1].attr & ATTR_LEAD)) --col;
        int runCol = -1, length = 0;
        TERMCELL key{};
        while (col <= col1) {
            const TERMCELL& c = cells[col];
            if (runCol < 0 || c.fg != key.fg || c.bg != key.bg ||
                (c.attr & ~kHalves) != (key.attr & ~kHalves)) {
                if (runCol >= 0) DrawRun(p, runCol, line, key, codes.data(), length);
                runCol = col;
                length = 0;
                key = c;
            }
            if ((c.attr & ATTR_LEAD) && col < t.m_nCols - 1 && (cells[col + 1].attr & ATTR_TRAIL)) {
                codes[length++] = uint16_t(c.ch << 8 | cells[col + 1].ch);
                codes[length++] = kPairTail;
                col += 2;
            } else {
                codes[length++] = c.ch ? c.ch : kBlank;
                ++col;
            }
        }
        if (runCol >= 0) DrawRun(p, runCol, line, key, codes.data(), length);
    }

    DrawPreedit(p);
    if (CaretVisible() && m_caretRect.intersects(area)) {
        // A solid caret inverts its cell.
        p.setCompositionMode(QPainter::CompositionMode_Difference);
        p.fillRect(m_caretRect, Qt::white);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

void CTermWnd::DrawRun(QPainter& p, int col, int line, const TERMCELL& key, const uint16_t* codes,
                       int length) {
    const CTerm& t = *m_pTerm;
    int text = key.attr & ATTR_SECRET ? key.bg : key.attr & ATTR_BRIGHT ? key.fg | 8 : key.fg;
    int back = key.bg;
    bool reversed =
        ((key.attr & (ATTR_REVERSE | ATTR_BLINK)) != 0) != ((key.attr & ATTR_SELECT) != 0);
    if (reversed) std::swap(text, back);
    const QRect rc(col * t.m_cxCell, line * t.m_cyCell, length * t.m_cxCell, t.m_cyCell);
    const QColor textColour = PaletteColour(text);

    p.fillRect(rc, PaletteColour(back));
    int shown = text == back ? 0 : length; // secret text is not drawn at all
    while (shown > 0 && codes[shown - 1] == kBlank)
        --shown;
    if (shown > 0) {
        p.save();
        p.setClipRect(rc);
        p.setPen(textColour);
        const int baseline = rc.top() + m_nAscent;
        for (int i = 0; i < shown; ++i) {
            if (codes[i] == kBlank || codes[i] == kPairTail) continue;
            p.drawText(QPointF(rc.left() + i * t.m_cxCell, baseline), CodeText(codes[i]));
        }
        p.restore();
    }
    if (key.attr & ATTR_UNDER) p.fillRect(rc.left(), rc.bottom(), rc.width(), 1, textColour);
}

// The composition in progress, drawn over the cells at the composition window's point,
// each character as wide as its CP932 bytes.
void CTermWnd::DrawPreedit(QPainter& p) {
    if (m_preedit.isEmpty()) return;
    const CTerm& t = *m_pTerm;
    const QColor text = PaletteColour(0), back = PaletteColour(7);
    int x = m_imePos.x();
    const int y = m_imePos.y();
    p.save();
    p.setClipRect(0, 0, ClientWidth(), ClientHeight());
    for (int i = 0; i < m_preedit.size();) {
        int units = m_preedit.at(i).isHighSurrogate() && i + 1 < m_preedit.size() ? 2 : 1;
        QString ch = m_preedit.mid(i, units);
        i += units;
        int cells = int(Utf16ToCp932(ch.toStdU16String()).size());
        QRect rc(x, y, cells * t.m_cxCell, t.m_cyCell);
        p.fillRect(rc, back);
        p.setPen(text);
        p.drawText(QPointF(x, y + m_nAscent), ch);
        p.fillRect(rc.left(), rc.bottom(), rc.width(), 1, text);
        x += rc.width();
    }
    p.restore();
}
