// The I/O page $FD00-$FDFF: the handler tables, the plain cells, the board's own
// registers (keys, interrupt masks and status, the display board's control, MMU,
// window, palette) and the interrupt status computation.
#include <algorithm>

#include "display/sub_cpu.h"
#include "mainboard/main_cpu.h"

namespace {

// An interrupt status bit is set when its raw flag is set and its enable holds:
// (enable cell & enable mask) != 0. The enable cell is an m_io index.
struct IrqSource {
    uint8_t bit;
    int enableCell;
    uint8_t enableMask;
};

constexpr IrqSource kStatus1[] = {
    {0x80, CMainCpu::kLatch + 0x02, 0x0E}, // serial port 0
    {0x40, CMainCpu::kLatch + 0x02, 0x80}, // keyboard
    {0x10, CMainCpu::kCell + 0x55, 0x0F},  // DMA
    {0x08, CMainCpu::kLatch + 0x02, 0x20}, // floppy unit A
    {0x02, CMainCpu::kLatch + 0x02, 0x01}, // printer 0
    {0x01, CMainCpu::kLatch + 0x02, 0x10}, // timer
};

constexpr IrqSource kStatus2[] = {
    {0x80, CMainCpu::kLatch + 0x2C, 0xE0}, // serial ports 1-4
    {0x40, CMainCpu::kLatch + 0x2C, 0x08}, // floppy unit B
    {0x04, CMainCpu::kCell + 0xC2, 0x80},  // hard disk, its own control register
    {0x02, CMainCpu::kLatch + 0x2C, 0x02}, // printer 2
    {0x01, CMainCpu::kLatch + 0x2C, 0x01}, // printer 1
};

template <size_t N> uint8_t Combine(const uint8_t* io, uint8_t raw, const IrqSource (&sources)[N]) {
    uint8_t status = 0;
    for (const IrqSource& s : sources)
        if ((raw & s.bit) && (io[s.enableCell] & s.enableMask)) status |= s.bit;
    return status;
}

} // namespace

uint8_t CMainCpu::ReadIo(uint16_t addr) {
    const uint8_t reg = addr & 0xFF;
    return (this->*m_ioRead[reg])(reg);
}

void CMainCpu::WriteIo(uint16_t addr, uint8_t value) {
    const uint8_t reg = addr & 0xFF;
    (this->*m_ioWrite[reg])(reg, value);
}

void CMainCpu::SetIoRead(uint8_t first, uint8_t last, IoReader fn) {
    std::fill(m_ioRead + first, m_ioRead + last + 1, fn);
}

void CMainCpu::SetIoWrite(uint8_t first, uint8_t last, IoWriter fn) {
    std::fill(m_ioWrite + first, m_ioWrite + last + 1, fn);
}

uint8_t CMainCpu::UpdateIrq2() {
    Cell(0x2C) = Combine(m_io, Raw(0x2C), kStatus2);
    return Cell(0x2C);
}

uint8_t CMainCpu::UpdateIrq() {
    uint8_t status = Combine(m_io, Raw(0x03), kStatus1);
    if (UpdateIrq2() != 0) status |= 0x20;
    Cell(0x03) = status;
    return status;
}

void CMainCpu::RegisterCoreIo() {
    SetIoRead(0x00, 0xFF, &CMainCpu::ReadPlain);
    SetIoWrite(0x00, 0xFF, &CMainCpu::WritePlain);

    SetIoRead(0x01, 0x01, &CMainCpu::ReadKeyLow);
    SetIoWrite(0x02, 0x02, &CMainCpu::WriteMask1);
    SetIoRead(0x03, 0x03, &CMainCpu::ReadStatus1);
    SetIoWrite(0x03, 0x03, &CMainCpu::WriteIgnored);
    SetIoRead(0x04, 0x04, &CMainCpu::ReadFirqCause);
    SetIoWrite(0x04, 0x04, &CMainCpu::WriteFirqAck);
    SetIoWrite(0x05, 0x05, &CMainCpu::WriteSubControl);
    SetIoWrite(0x23, 0x23, &CMainCpu::WritePrinterAck);
    SetIoRead(0x2C, 0x2C, &CMainCpu::ReadStatus2);
    SetIoWrite(0x2C, 0x2C, &CMainCpu::WriteLatch); // mask 2, takes effect at the next update
    SetIoRead(0x80, 0x8F, &CMainCpu::ReadMmu);
    SetIoWrite(0x80, 0x8F, &CMainCpu::WriteMmu);
    SetIoWrite(0x90, 0x91, &CMainCpu::WriteLow4); // MMU segment, window bank
    SetIoWrite(0x98, 0x9F, &CMainCpu::WritePalette);
}

uint8_t CMainCpu::ReadPlain(uint8_t reg) {
    return Cell(reg);
}

void CMainCpu::WritePlain(uint8_t reg, uint8_t value) {
    Cell(reg) = value;
}

void CMainCpu::WriteLatch(uint8_t reg, uint8_t value) {
    Latch(reg) = value;
}

void CMainCpu::WriteIgnored(uint8_t, uint8_t) {}

// $FD01: the key code's low byte; the read hands the key over and lets the display
// board deliver the next one.
uint8_t CMainCpu::ReadKeyLow(uint8_t reg) {
    const uint8_t value = Cell(reg);
    Cell(0x03) &= ~0x40;
    Raw(0x03) &= ~0x40;
    if (m_pSub) m_pSub->PopKey();
    return value;
}

void CMainCpu::WriteMask1(uint8_t reg, uint8_t value) {
    Latch(reg) = value;
    UpdateIrq();
}

uint8_t CMainCpu::ReadStatus1(uint8_t) {
    return UpdateIrq();
}

// $FD04: FIRQ causes. Bit 0 attention from the display board, bit 1 BREAK; reading
// drops BREAK, writing acknowledges the attention.
uint8_t CMainCpu::ReadFirqCause(uint8_t reg) {
    const uint8_t value = Cell(reg);
    Cell(reg) &= ~0x02;
    return value;
}

void CMainCpu::WriteFirqAck(uint8_t reg, uint8_t) {
    Cell(reg) &= ~0x01;
    Latch(reg) = 0x80;
}

// $FD05: bit 7 holds the display board, bit 6 cancels it, bit 0 switches to the Z80.
void CMainCpu::WriteSubControl(uint8_t reg, uint8_t value) {
    Latch(reg) = value;
    if (value & 0x80) {
        Cell(reg) |= 0x80;
        Raw(reg) &= ~0x80;
    }
}

// $FD23 write: bits 0-2 acknowledge printers 0-2; the DIP switch byte stays readable.
void CMainCpu::WritePrinterAck(uint8_t, uint8_t value) {
    if (value & 0x01) Raw(0x03) &= ~0x02;
    if (value & 0x02) Raw(0x2C) &= ~0x01;
    if (value & 0x04) Raw(0x2C) &= ~0x02;
    UpdateIrq();
}

// $FD2C read: the status is returned once; $FD03 keeps its bit 5 until the next update.
uint8_t CMainCpu::ReadStatus2(uint8_t reg) {
    const uint8_t value = UpdateIrq2();
    Cell(reg) = 0;
    return value;
}

uint8_t CMainCpu::ReadMmu(uint8_t reg) {
    return uint8_t(m_mmu[(reg & 15) * 16 + (Cell(0x90) & 15)] >> 12);
}

void CMainCpu::WriteMmu(uint8_t reg, uint8_t value) {
    m_mmu[(reg & 15) * 16 + (Cell(0x90) & 15)] = value << 12;
}

void CMainCpu::WriteLow4(uint8_t reg, uint8_t value) {
    Cell(reg) = value & 15;
}

void CMainCpu::WritePalette(uint8_t reg, uint8_t value) {
    Cell(reg) = value & 15;
    m_pal[reg - 0x98] = value & 15;
    if (m_pSub) {
        m_pSub->m_rcGraphDirty = CRect{0, 0, 639, 399};
        m_pSub->m_bGraphDirty = 1;
    }
}
