// The three parallel printer ports. Their output goes to host files that the view opens
// into m_pPrn; a port without a file reads as no printer and ignores the strobe.
//
// port  control  data   status  raw interrupt flag
//  0    $FD00    $FD01  $FD02   $FD03 bit 1 (the data cell is also the key code's low byte)
//  1    $FD64    $FD65  $FD66   $FD2C bit 0
//  2    $FD67    $FD68  $FD69   $FD2C bit 1
//
// Control bit 6 is the strobe: its rising edge clears the acknowledge (status bit 2), its
// falling edge prints the data byte, acknowledges and raises the interrupt. The latch of
// the control register holds the last control byte. $FD23 clears the raw flags (board
// register). With a file the status reads with bits 1 and 2 set.
//
// A byte the file refuses (disk full, file-size limit, I/O error, a FIFO with no room)
// is not acknowledged: it waits (m_prnWait) and the status reads $02, attached but not
// ready, until a strobe or status read finds the file taking it; it is then written once
// and acknowledged as if printed then. A guest that strobes anyway loses that byte. Output
// thus goes on by itself once the disk has room, in order, no byte written twice.
#include <cerrno>

#include "mainboard/main_cpu.h"
#include "platform/file.h"
#include "platform/wnd.h"

namespace {

struct PrinterPort {
    uint8_t control, data, status; // registers ($FDxx low bytes)
    uint8_t rawReg, rawBit;        // raw interrupt flag
};

constexpr PrinterPort kPrinters[3] = {
    {0x00, 0x01, 0x02, 0x03, 0x02},
    {0x64, 0x65, 0x66, 0x2C, 0x01},
    {0x67, 0x68, 0x69, 0x2C, 0x02},
};

constexpr uint8_t kStrobe = 0x40;
constexpr uint8_t kAck = 0x04;
constexpr uint8_t kAttached = 0x06;
constexpr uint8_t kOnline = 0x02; // attached, but a refused byte waits

int PrinterOf(uint8_t reg) {
    return reg < 0x64 ? 0 : reg < 0x67 ? 1 : 2;
}

} // namespace

void CMainCpu::RegisterPrinter() {
    for (const PrinterPort& p : kPrinters) {
        SetIoWrite(p.control, p.control, &CMainCpu::PrinterControl);
        SetIoRead(p.status, p.status, &CMainCpu::PrinterStatus);
        if (p.status != 0x02) SetIoWrite(p.status, p.status, &CMainCpu::WriteIgnored);
    }
}

uint8_t CMainCpu::PrinterStatus(uint8_t reg) {
    const int n = PrinterOf(reg);
    uint8_t& status = Raw(kPrinters[n].status);
    if (!m_pPrn[n])
        status &= ~kAttached;
    else if (PrinterRetry(n))
        status |= kAttached;
    else
        status = uint8_t((status & ~kAttached) | kOnline);
    return status;
}

void CMainCpu::PrinterControl(uint8_t reg, uint8_t value) {
    const int n = PrinterOf(reg);
    const PrinterPort& p = kPrinters[n];
    uint8_t& latch = Latch(p.control);
    if ((value & kStrobe) && !(latch & kStrobe)) {
        Raw(p.status) &= ~kAck;
    } else if (!(value & kStrobe) && (latch & kStrobe) && m_pPrn[n]) {
        PrinterWait& w = m_prnWait[n];
        if (!PrinterRetry(n)) {
            ++w.lost;
            PrinterTell(n);
        } else if (const uint8_t b = Cell(p.data); !PrinterWrite(n, b)) {
            w.held = true;
            w.byte = b;
            if (w.error != EAGAIN) PrinterTell(n);
        }
    }
    latch = value;
}

// Writes b to printer n's file and acknowledges it; false when the file refused it.
bool CMainCpu::PrinterWrite(int n, uint8_t b) {
    if (const int err = m_pPrn[n]->TryWrite(&b, 1)) {
        m_prnWait[n].error = err;
        return false;
    }
    const PrinterPort& p = kPrinters[n];
    Raw(p.status) |= kAck;
    Raw(p.rawReg) |= p.rawBit;
    UpdateIrq();
    return true;
}

bool CMainCpu::PrinterRetry(int n) {
    PrinterWait& w = m_prnWait[n];
    if (!w.held) return true;
    if (!m_pPrn[n]) return false;
    if (!PrinterWrite(n, w.byte)) {
        if (w.error != EAGAIN) PrinterTell(n);
        return false;
    }
    w.held = w.told = false;
    w.lost = 0;
    return true;
}

// Asks the view, once a wait, to tell the user that printer n's file refuses its output.
void CMainCpu::PrinterTell(int n) {
    PrinterWait& w = m_prnWait[n];
    if (w.told) return;
    w.told = w.toShow = true;
    PostToView(ID_PRINTER_REFUSED + unsigned(n));
}

uint32_t CMainCpu::PrinterDetach(int n) {
    const PrinterWait w = m_prnWait[n];
    m_prnWait[n] = {};
    return w.held ? w.lost + 1 : 0;
}
