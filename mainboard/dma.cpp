// The four-channel DMA controller. Channel c: transfer address $FD40 + 4c (high, low),
// byte count $FD42 + 4c, control $FD50 + c (bit 0 memory to device, bit 2 the floppy
// units use DMA, bit 3 count the address down, bit 7 done), bank $FD94 + c (address
// bits 16-19); $FD55 bits 0-3 enable the channels' interrupts, bit 7 is the pending
// interrupt; a write of $FD57 acknowledges it.
//
// A transfer runs to its end inside the device command that starts it (floppy sector,
// WRITE TRACK, hard disk): no time passes. It leaves the final address and count in the
// channel's registers, sets the done bit and, when enabled, the DMA interrupt; the
// caller's frame recomputes the interrupt status. Addresses are 20 bits and wrap within
// them. A transfer that ends outside its 64 KB bank is reported once per Reset.
#include <exception>

#include "mainboard/dma_channel.h"
#include "mainboard/main_cpu.h"
#include "platform/file.h"

namespace {

constexpr uint8_t kToDevice = 0x01;
constexpr uint8_t kIrqPending = 0x80;
constexpr uint8_t kRawDma = 0x10; // $FD03 raw flag

} // namespace

DmaChannel DmaChannel::Load(CMainCpu& board, int c) {
    DmaChannel d;
    d.m_nChannel = c;
    d.m_nAddress = uint32_t(board.Cell(kDmaBank + c) & 15) << 16 |
                   board.Cell(kDmaAddr + 4 * c) << 8 | board.Cell(kDmaAddr + 4 * c + 1);
    d.m_nCount = board.Cell(kDmaAddr + 4 * c + 2) << 8 | board.Cell(kDmaAddr + 4 * c + 3);
    d.m_nStep = (board.Cell(kDmaCtrl + c) & 0x08) ? 0xFFFFF : 1;
    return d;
}

void DmaChannel::Store(CMainCpu& board) const {
    const int c = m_nChannel;
    board.Cell(kDmaAddr + 4 * c) = uint8_t(m_nAddress >> 8);
    board.Cell(kDmaAddr + 4 * c + 1) = uint8_t(m_nAddress);
    board.Cell(kDmaAddr + 4 * c + 2) = uint8_t(m_nCount >> 8);
    board.Cell(kDmaAddr + 4 * c + 3) = uint8_t(m_nCount);
    board.Cell(kDmaCtrl + c) |= 0x80;
    if (board.Cell(kDmaIrq) & (1 << c)) {
        board.Cell(kDmaIrq) |= kIrqPending;
        board.Raw(0x03) |= kRawDma;
    }
}

void CMainCpu::RegisterDma() {
    SetIoRead(kDmaCtrl, kDmaCtrl + 3, &CMainCpu::ReadDmaControl);
    SetIoWrite(kDmaAck, kDmaAck, &CMainCpu::WriteDmaAck);
}

// Reading a channel's control byte acknowledges its completion.
uint8_t CMainCpu::ReadDmaControl(uint8_t reg) {
    const uint8_t value = Cell(reg);
    Cell(reg) &= ~0x80;
    Cell(kDmaIrq) &= ~kIrqPending;
    Raw(0x03) &= ~kRawDma;
    UpdateIrq();
    return value;
}

void CMainCpu::WriteDmaAck(uint8_t, uint8_t) {
    Cell(kDmaIrq) &= ~kIrqPending;
    Raw(0x03) &= ~kRawDma;
    UpdateIrq();
}

int CMainCpu::DmaTransfer(int c, CFile* device, int limit, bool* fault) {
    DmaChannel d = DmaChannel::Load(*this, c);
    const bool toDevice = Cell(kDmaCtrl + c) & kToDevice;
    bool failed = false;
    try {
        for (; device && d.m_nCount > 0 && limit > 0; --limit) {
            // A device read past its end moves nothing, yet the byte is counted.
            if (toDevice)
                device->Write(&m_ram[d.m_nAddress], 1);
            else
                device->Read(&m_ram[d.m_nAddress], 1);
            --d.m_nCount;
            d.Advance();
        }
    } catch (const std::exception&) {
        failed = true; // the byte that failed is not counted
    }
    const uint32_t bank = Cell(kDmaBank + c) & 15u;
    if ((d.m_nAddress >> 16) != bank && (d.m_nAddress & 0xFFFF) != 0 && !m_bBankOverShown) {
        m_bBankOverShown = true;
        MessageToView("DMA Bank Over");
    }
    d.Store(*this);
    if (fault) *fault = failed;
    return d.m_nCount;
}
