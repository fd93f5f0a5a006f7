// CStatPage: what the two debugger pages (CStat09, CStatZ80) share, free of any window:
// the 512-line trace history ring, the eight visible trace lines (element 0 at the
// bottom), the scroll position and the bookkeeping of which texts changed since a
// window last showed them.
//
// The processors call the pages after every instruction of a STEP run, so a page
// only records what changed (Dirty bits) and calls its listener once, when the
// first change after a Refresh appears. The page widget then refreshes itself from
// the model later, on the UI thread, setting only the texts that differ.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class CStatPage {
public:
    static constexpr int kHistory = 512;
    static constexpr int kLines = 8;
    static constexpr int kPageStep = kLines - 1;

    // Dirty bits: 0..kMaxTexts-1 one per display text, then the lines and the scroll.
    static constexpr int kMaxTexts = 24;
    static constexpr uint32_t kDirtyLines = 1u << 30;
    static constexpr uint32_t kDirtyScroll = 1u << 31;

    enum class Scroll {
        LineUp,
        LineDown,
        PageUp,
        PageDown,
        ThumbPosition,
        ThumbTrack,
        Top,
        Bottom,
        EndScroll
    };

    virtual ~CStatPage() = default;

    // Display texts of the register and signal fields, in the page's own order.
    virtual int TextCount() const = 0;
    virtual const std::string& Text(int i) const = 0;

    // Rebuild the eight visible lines from the ring, m_nNewest at the bottom. Lines
    // above the oldest line held (positions below 8) are empty.
    void FillLines();
    // Scroll request from the trace view's scroll bar; thumb is the bar position for
    // ThumbPosition and ThumbTrack. The result is clamped to 0..m_nCount.
    void OnVScroll(Scroll code, int thumb);

    // The window side: which texts changed since the last TakeDirty, and who is told
    // (once per batch of changes) that there is something to show.
    uint32_t Dirty() const { return m_dirty; }
    uint32_t TakeDirty() {
        uint32_t d = m_dirty;
        m_dirty = 0;
        return d;
    }
    void SetListener(std::function<void()> listener) { m_listener = std::move(listener); }

    int m_nScrollPos = 0;
    std::string m_strLine[kLines];
    int m_nNewest = 0;
    int m_nWrite = 0;
    int m_nCount = 0;
    std::string m_strHistory[kHistory];

protected:
    // Append a trace line (null: empty), bring the view back to the newest line.
    void AppendLine(const char* line);
    // Replace a display text if it differs and mark its bit.
    void SetText(std::string& text, int index, const char* value);
    void MarkDirty(uint32_t bits) {
        bool wasClean = m_dirty == 0;
        m_dirty |= bits;
        if (wasClean && bits && m_listener) m_listener();
    }
    void SetScrollPos(int pos) {
        if (m_nScrollPos != pos) {
            m_nScrollPos = pos;
            MarkDirty(kDirtyScroll);
        }
    }

    // Four upper-case hex digits, or two, with a terminating NUL.
    static void Hex4(char* out, unsigned v);
    static void Hex2(char* out, unsigned v);

private:
    uint32_t m_dirty = 0;
    std::function<void()> m_listener;
};
