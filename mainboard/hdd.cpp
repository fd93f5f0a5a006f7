// The hard-disk controller at $FDC0-$FDC3. A command byte at $FDC0, for the transfer
// commands $22/$23 eight parameter bytes at $FDC1 (unit bit, -, cylinder high and low,
// head, sector, byte count high and low), eight result bytes read back from $FDC1.
// $FDC2 is the control register: bits 0-1 the unit's high bits, bit 3 abandons the
// command, bits 4-5 the DMA channel, bit 7 enables the interrupt ($FD2C bit 2).
// $FDC0 and $FDC3 are status bytes A and B.
//
// The images m_pHdd[0-3] are plain files of cylinders of 8 heads x 32 sectors x 256
// bytes; the data move through the DMA channel in its direction. Results: $10 done;
// $80 $20 when the channel's count was not used up (also after a host I/O error);
// $90 for an unknown command or a unit without an image (units 4-7 have none).
#include <algorithm>
#include <exception>

#include "mainboard/main_cpu.h"
#include "platform/file.h"

namespace {

constexpr int kStatusA = 0xC0;
constexpr int kData = 0xC1;
constexpr int kControl = 0xC2;
constexpr int kStatusB = 0xC3;
constexpr uint8_t kRawHdd = 0x04; // $FD2C raw flag

enum : uint8_t { kIdle = 0, kParams = 1, kResults = 4 };

} // namespace

void CMainCpu::RegisterHdd() {
    SetIoWrite(kStatusA, kStatusA, &CMainCpu::HddWriteCommand);
    SetIoRead(kData, kData, &CMainCpu::HddReadResult);
    SetIoWrite(kData, kData, &CMainCpu::HddWriteParam);
    SetIoWrite(kControl, kControl, &CMainCpu::WriteHddControl);
    SetIoWrite(kStatusB, kStatusB, &CMainCpu::WriteIgnored);
}

void CMainCpu::HddResultsReady() {
    Cell(kStatusA) |= 0x43;
    Cell(kStatusB) |= 0x4C;
    Raw(0x2C) |= kRawHdd;
    UpdateIrq();
    m_nHddPhase = kResults;
}

void CMainCpu::HddWriteCommand(uint8_t, uint8_t value) {
    Raw(0x2C) &= ~kRawHdd;
    m_nHddCmd = value;
    m_nHddPhase = kIdle;
    Cell(kStatusA) = 0;
    Cell(kStatusB) = 0x11;
    std::fill(m_hddRes, m_hddRes + 8, 0);
    Raw(0x2C) |= kRawHdd;
    m_nHddResIdx = 0;
    m_nHddParCnt = 0;
    switch (value) {
    case 0x22:
    case 0x23:
        Cell(kStatusA) |= 0x21;
        Cell(kStatusB) |= 0x24;
        UpdateIrq();
        m_nHddPhase = kParams;
        return;
    case 0x14: m_hddRes[4] = 0x0C; [[fallthrough]];
    case 0x10: m_hddRes[0] = 0x10; break;
    default: m_hddRes[0] = 0x90; break;
    }
    HddResultsReady();
}

void CMainCpu::HddWriteParam(uint8_t, uint8_t value) {
    if (m_nHddPhase != kParams) return;
    if (m_nHddParCnt < 10) m_hddPar[m_nHddParCnt++] = value;
    if (m_nHddParCnt < 8) return;
    Cell(kStatusA) &= ~0x21;
    Cell(kStatusB) &= ~0x26;
    Raw(0x2C) &= ~kRawHdd;
    UpdateIrq();
    HddTransfer();
    HddResultsReady();
}

void CMainCpu::HddTransfer() {
    const int unit = (m_hddPar[0] & 1) | (Cell(kControl) & 3) << 1;
    CFile* disk = unit < 4 ? m_pHdd[unit] : nullptr;
    if (!disk) {
        m_hddRes[0] = 0x90;
        return;
    }
    const uint32_t cylinder = m_hddPar[2] << 8 | m_hddPar[3];
    const uint32_t offset = ((cylinder * 8 + m_hddPar[4]) * 32 + m_hddPar[5]) * 256;
    const int count = m_hddPar[6] << 8 | m_hddPar[7];
    bool fault = false;
    int left = 1;
    try {
        disk->Seek(offset);
        left = DmaTransfer((Cell(kControl) >> 4) & 3, disk, count, &fault);
    } catch (const std::exception&) {
        fault = true;
    }
    if (left > 0 || fault) {
        m_hddRes[0] = 0x80;
        m_hddRes[1] = 0x20;
    } else {
        m_hddRes[0] = 0x10;
    }
}

uint8_t CMainCpu::HddReadResult(uint8_t) {
    if (m_nHddPhase != kResults) return 0;
    const uint8_t value = m_hddRes[std::min<int>(m_nHddResIdx, 9)];
    if (++m_nHddResIdx >= 8) {
        Raw(0x2C) &= ~kRawHdd;
        Cell(kStatusA) = 0x80;
        Cell(kStatusB) = 0x10;
        UpdateIrq();
        m_nHddPhase = kIdle;
    }
    return value;
}

void CMainCpu::WriteHddControl(uint8_t reg, uint8_t value) {
    Cell(reg) = value;
    if (value & 0x08) m_nHddPhase = kIdle;
}
