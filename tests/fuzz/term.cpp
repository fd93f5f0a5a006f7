// Fuzz target: bytes to the terminal's output interpreter. The first byte picks whether
// a window is attached and how many keys are queued beforehand (so answers also meet a
// full queue); the rest goes to Write. The model must stay within its screen and queue.
// corpus/term/random_controls is 200000 bytes, two in three of them control bytes and
// sequence characters, where the states are, after a first byte that attaches a window.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "terminal/term.h"
#include "tests/platform/fake_wnd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    CTerm term;
    FakeWnd wnd;
    if (data[0] & 1) term.AttachWindow(&wnd);
    for (int i = 0, n = (data[0] >> 1) * 9; i < n; ++i)
        term.PutKey(uint8_t(i));
    for (size_t i = 1; i < size; ++i) {
        term.Write(data[i]);
        if (term.m_nCol < 0 || term.m_nCol >= term.m_nCols || term.m_nRow < 0 ||
            term.m_nRow >= term.m_nLines || term.m_nInCount < 0 || term.m_nInCount > 1024 ||
            term.m_nScrollTop >= term.m_nScrollBottom || term.m_nHistory > term.m_nHistoryMax)
            std::abort();
        for (const CRect& rc : wnd.m_rects) // every rectangle within the window
            if (!(rc == CRect{-1, -1, -1, -1}) &&
                (rc.left < 0 || rc.top < 0 || rc.right > 640 || rc.bottom > 400))
                std::abort();
        wnd.m_rects.clear();
    }
    return 0;
}
