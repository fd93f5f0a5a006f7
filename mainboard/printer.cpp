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
// register). A byte the file refuses (disk full, I/O error) is lost and not acknowledged;
// the file stays attached and the next strobe tries again.
#include "mainboard/main_cpu.h"
#include "platform/file.h"

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
    if (m_pPrn[n])
        status |= kAttached;
    else
        status &= ~kAttached;
    return status;
}

void CMainCpu::PrinterControl(uint8_t reg, uint8_t value) {
    const int n = PrinterOf(reg);
    const PrinterPort& p = kPrinters[n];
    uint8_t& latch = Latch(p.control);
    uint8_t& status = Raw(p.status);
    if ((value & kStrobe) && !(latch & kStrobe)) {
        status &= ~kAck;
    } else if (!(value & kStrobe) && (latch & kStrobe) && m_pPrn[n]) {
        bool printed = true;
        try {
            const uint8_t b = Cell(p.data);
            m_pPrn[n]->Write(&b, 1);
        } catch (...) {
            printed = false;
        }
        if (printed) {
            status |= kAck;
            Raw(p.rawReg) |= p.rawBit;
            UpdateIrq();
        }
    }
    latch = value;
}
