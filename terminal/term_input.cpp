// The input queue: keys, function-key strings, pasted text and the interpreter's
// answers enter it here; the main board's serial receiver takes them out.
#include "terminal/term.h"

void CTerm::PutKey(uint8_t b) {
    if (m_nInCount >= kInSize) return; // full: the byte is lost
    m_inBuf[m_nInWrite] = b;
    if (++m_nInWrite >= kInSize) m_nInWrite = 0;
    m_bInput = 1;
    ++m_nInCount;
}
