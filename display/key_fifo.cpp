// The key FIFO: a ring of 512 key codes with one slot kept free. The view pushes;
// a code leaves at each tick, or when the receiving processor reads the current key.
// The main board receives it when its keyboard interrupt is enabled ($FD02 bit 7),
// otherwise the display processor, each only once it has taken the previous code.
#include "display/io_cells.h"
#include "display/sub_cpu.h"

void CSubCpu::PushKey(uint16_t code) {
    const int next = (m_nKeyWrite + 1) % kKeyBufSize;
    if (next == m_nKeyRead) return;
    m_wKeyBuf[m_nKeyWrite] = code;
    m_nKeyWrite = next;
}

void CSubCpu::PopKey() {
    if (m_nKeyRead == m_nKeyWrite) return;
    const uint16_t code = m_wKeyBuf[m_nKeyRead];
    // BREAK raises the main processor's FIRQ every time it is offered, delivered or not.
    if (code == KEY_BREAK) m_pMainIo[io::kFd04] |= 0x02;

    const bool toMain = m_pMainIo[io::kFd02Latch] & 0x80;
    if (toMain ? (m_pMainIo[io::kFd03] & 0x40) : (Cell(io::kFirqCause) & 0x01)) return;

    const uint8_t hi = uint8_t(code >> 8), lo = uint8_t(code);
    Cell(io::kKeyHigh) = hi;
    Cell(io::kKeyLow) = lo;
    if (toMain) {
        m_pMainIo[io::kFd00] = hi;
        m_pMainIo[io::kFd01] = lo;
        m_pMainIo[io::kFd03Raw] |= 0x40;
        m_pMainIo[io::kFd03] |= 0x40;
    } else if (!(code & KEY_BREAK_BIT)) {
        Cell(io::kFirqCause) |= 0x01;
    }
    m_nKeyRead = (m_nKeyRead + 1) % kKeyBufSize;
}
