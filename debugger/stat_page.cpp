#include "debugger/stat_page.h"

#include <algorithm>

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
}

void CStatPage::Hex4(char* out, unsigned v) {
    out[0] = kHexDigits[(v >> 12) & 15];
    out[1] = kHexDigits[(v >> 8) & 15];
    out[2] = kHexDigits[(v >> 4) & 15];
    out[3] = kHexDigits[v & 15];
    out[4] = 0;
}

void CStatPage::Hex2(char* out, unsigned v) {
    out[0] = kHexDigits[(v >> 4) & 15];
    out[1] = kHexDigits[v & 15];
    out[2] = 0;
}

void CStatPage::SetText(std::string& text, int index, const char* value) {
    if (text != value) {
        text = value;
        MarkDirty(1u << index);
    }
}

void CStatPage::AppendLine(const char* line) {
    m_nNewest = m_nWrite;
    m_strHistory[m_nWrite] = line ? line : "";
    m_nWrite = (m_nWrite + 1) % kHistory;
    m_nCount = std::min(m_nCount + 1, kHistory);
    SetScrollPos(m_nCount);
    FillLines();
}

void CStatPage::FillLines() {
    static const std::string kEmpty;
    bool changed = false;
    for (int i = 0; i < kLines; ++i) {
        // Position p puts the p-th oldest line at the bottom; line i shows the
        // (p - i)-th oldest, which does not exist for p - i < 1.
        const std::string& src =
            i < m_nScrollPos ? m_strHistory[((m_nNewest - i) % kHistory + kHistory) % kHistory]
                             : kEmpty;
        if (m_strLine[i] != src) {
            m_strLine[i] = src;
            changed = true;
        }
    }
    if (changed) MarkDirty(kDirtyLines);
}

void CStatPage::OnVScroll(Scroll code, int thumb) {
    int pos = m_nScrollPos;
    switch (code) {
    case Scroll::LineUp: pos -= 1; break;
    case Scroll::LineDown: pos += 1; break;
    case Scroll::PageUp: pos -= kPageStep; break;
    case Scroll::PageDown: pos += kPageStep; break;
    case Scroll::ThumbPosition:
    case Scroll::ThumbTrack: pos = thumb; break;
    case Scroll::Top: pos = 0; break;
    case Scroll::Bottom: pos = m_nCount; break;
    case Scroll::EndScroll: break;
    }
    pos = std::clamp(pos, 0, m_nCount);
    // The bar may already show another position than the one the page keeps.
    m_nScrollPos = pos;
    MarkDirty(kDirtyScroll);
    m_nNewest = ((m_nWrite - m_nCount + pos - 1) % kHistory + kHistory) % kHistory;
    FillLines();
}
