// The two floppy disk controllers, with the command set of the classic FM/MFM
// controller chip. Unit A serves the four mini drives (m_pFdd[4-7]) at $FD18-$FD1F,
// unit B the four 8-inch drives (m_pFdd[0-3]) at $FD30-$FD37. Each unit has
// command/status, track, sector and data registers at its base, a completion register,
// a raw interrupt flag and a DMA channel.
//
// Every command completes inside its register write: it sets the status, the
// completion register(s) and the unit's interrupt. A sector moves either in one burst
// through the unit's DMA channel, or byte by byte through the data register while the
// status shows a data request (programmed I/O). Between bytes the request waits in a
// pending cell (m_io[base]), and a status read hands it back to the status: the busy bit
// shows for one read, a data request from the second read after a byte.
//
// Host I/O errors of an image end the transfer with status $10 (reading) or $20
// (writing).
#include <exception>

#include "floppy/file_fdd.h"
#include "mainboard/dma_channel.h"
#include "mainboard/main_cpu.h"

namespace {

enum : uint8_t {
    kNotReady = 0x80,
    kWriteFault = 0x20,
    kNotFound = 0x10,
    kDataRequest = 0x02,
    kBusy = 0x01,
};

struct FdcUnit {
    uint8_t base; // command/status; track, sector and data registers follow
    uint8_t done; // completion register whose read acknowledges the interrupt
    int rawCell;  // m_io index of the raw interrupt flag
    uint8_t rawBit;
    int channel;    // DMA channel
    int trackLimit; // WRITE TRACK byte limit
};

constexpr FdcUnit kUnits[2] = {
    {0x18, 0x1F, CMainCpu::kRaw + 0x03, 0x08, 0, 6400},
    {0x30, 0x37, CMainCpu::kRaw + 0x2C, 0x40, 1, 10900},
};

constexpr int kUnitASide = 0x1C;   // latch bit 0; its cell is a completion register
constexpr int kUnitBSide = 0x34;   // cell bit 0
constexpr int kUnitBDrives = 0x36; // drive presence

int UnitOf(uint8_t reg) {
    return reg < 0x30 ? 0 : 1;
}

} // namespace

void CMainCpu::RegisterFdc() {
    for (const FdcUnit& u : kUnits) {
        SetIoRead(u.base, u.base, &CMainCpu::ReadFdcStatus);
        SetIoWrite(u.base, u.base, &CMainCpu::WriteFdcCommand);
        SetIoRead(u.base + 3, u.base + 3, &CMainCpu::ReadFdcData);
        SetIoWrite(u.base + 3, u.base + 3, &CMainCpu::WriteFdcData);
        SetIoRead(u.done, u.done, &CMainCpu::ReadFdcDone);
    }
    SetIoWrite(kUnitASide, kUnitASide, &CMainCpu::WriteFdcSide);
    SetIoWrite(0x1D, 0x1E, &CMainCpu::WriteFdcSelect);
    SetIoWrite(0x34, 0x36, &CMainCpu::WriteFdcSelect);
    SetIoRead(kUnitBDrives, kUnitBDrives, &CMainCpu::ReadFdcPresence);
}

// The board owns the images; a failed save at this point has nowhere to go.
void CMainCpu::CloseFloppies() {
    for (CFileFdd*& fdd : m_pFdd) {
        if (!fdd) continue;
        try {
            fdd->Close();
        } catch (const std::exception&) {
        }
        delete fdd;
        fdd = nullptr;
    }
}

CFileFdd* CMainCpu::FdcDrive(int unit) {
    return unit == 0 ? m_pFdd[4 + (Cell(0x1D) & 3)] : m_pFdd[Cell(0x35) & 3];
}

namespace {

int Side(CMainCpu& board, int unit) {
    return unit == 0 ? board.Latch(kUnitASide) & 1 : board.Cell(kUnitBSide) & 1;
}

bool UsesDma(CMainCpu& board, int unit) {
    return board.Cell(kDmaCtrl + kUnits[unit].channel) & 0x04;
}

} // namespace

// Status, completion register(s) and interrupt at the end of a command or transfer.
void CMainCpu::FdcComplete(int unit, uint8_t status) {
    const FdcUnit& u = kUnits[unit];
    m_io[u.rawCell] |= u.rawBit;
    Cell(u.base) = status;
    if (unit == 0)
        Cell(kUnitASide) = Cell(u.done) = uint8_t(0x40 | (Latch(kUnitASide) & 1));
    else
        Cell(u.done) = 0x40;
    UpdateIrq();
}

void CMainCpu::FdcCommand(int unit, uint8_t cmd) {
    const FdcUnit& u = kUnits[unit];
    CFileFdd* fdd = FdcDrive(unit);
    m_io[u.rawCell] &= ~u.rawBit;
    Cell(unit == 0 ? kUnitASide : u.done) = 0;
    uint8_t status;
    if (!(cmd & 0x80))
        status = FdcTypeI(unit, cmd, fdd);
    else if (!(cmd & 0x40))
        status = FdcTypeII(unit, cmd, fdd);
    else
        status = FdcTypeIII(unit, cmd, fdd);
    FdcComplete(unit, status);
}

// RESTORE, SEEK, STEP, STEP IN, STEP OUT. The track register is 8 bits and wraps; the
// step direction lives in the unit's raw flag cell.
uint8_t CMainCpu::FdcTypeI(int unit, uint8_t cmd, CFileFdd* fdd) {
    const FdcUnit& u = kUnits[unit];
    uint8_t& track = Cell(u.base + 1);
    uint8_t& outwards = Raw(u.base);
    const bool update = cmd & 0x10;
    uint8_t next = track;
    switch (cmd & 0xE0) {
    case 0x00:
        if (update) { // SEEK
            outwards = track > Cell(u.base + 3);
            next = Cell(u.base + 3);
        } else { // RESTORE
            outwards = 1;
            next = 0;
        }
        track = next;
        break;
    case 0x20: // STEP: the verify checks the new track even when T stays
        next = uint8_t(outwards ? track - 1 : track + 1);
        if (update) track = next;
        break;
    case 0x40:
        outwards = 0;
        track = next = uint8_t(track + 1);
        break;
    default:
        outwards = 1;
        track = next = uint8_t(track - 1);
        break;
    }
    if (!(cmd & 0x04)) return 0;
    if (!fdd) return kNotReady;
    return fdd->HasTrack(next, Side(*this, unit)) ? 0 : kNotFound;
}

// READ SECTOR / WRITE SECTOR. The direction is the DMA channel's, or, by programmed
// I/O, whatever the data register accesses do.
uint8_t CMainCpu::FdcTypeII(int unit, uint8_t cmd, CFileFdd* fdd) {
    const FdcUnit& u = kUnits[unit];
    if (!fdd) return kNotReady;
    uint8_t& sector = Cell(u.base + 2);
    const int track = Cell(u.base + 1);
    const int side = Side(*this, unit);
    int size = fdd->SeekSector(track, side, sector - 1);
    if (size < 1) return kNotFound;
    if (!UsesDma(*this, unit)) {
        m_nFdcPos[unit] = 0;
        m_nFdcSize[unit] = size;
        m_nFdcCmd[unit] = cmd;
        return kBusy | kDataRequest;
    }
    bool fault = false;
    int n = DmaTransfer(u.channel, fdd, size, &fault);
    while (!fault && n > 0 && (cmd & 0x10)) {
        ++sector;
        size = fdd->SeekSector(track, side, sector - 1);
        if (size < 1) break;
        n = DmaTransfer(u.channel, fdd, size, &fault);
    }
    if (!fault) return 0;
    return (Cell(kDmaCtrl + u.channel) & 0x01) ? kWriteFault : kNotFound;
}

// READ ADDRESS, READ TRACK, FORCE INTERRUPT, WRITE TRACK.
uint8_t CMainCpu::FdcTypeIII(int unit, uint8_t cmd, CFileFdd* fdd) {
    const FdcUnit& u = kUnits[unit];
    switch (cmd & 0xF0) {
    case 0xD0: return 0;
    case 0xF0:
        if (!fdd) return kNotReady;
        if (!UsesDma(*this, unit)) return kWriteFault;
        WriteTrack(u.channel, fdd, Cell(u.base + 1), Side(*this, unit), u.trackLimit);
        return 0;
    default: return fdd ? kNotFound : kNotReady;
    }
}

// One byte of a programmed-I/O transfer. A read answers the sector's byte (the data
// register's value when nothing moves); a write answers the value it stores.
uint8_t CMainCpu::FdcData(int unit, int write, uint8_t value) {
    const FdcUnit& u = kUnits[unit];
    CFileFdd* fdd = FdcDrive(unit);
    if (!(Cell(u.base) & kDataRequest) || !fdd) return value;
    Cell(u.base) &= ~kDataRequest;
    try {
        if (write)
            fdd->Write(&value, 1);
        else
            fdd->Read(&value, 1);
    } catch (const std::exception&) {
        Latch(u.base) = 0;
        FdcComplete(unit, write ? kWriteFault : kNotFound);
        return value;
    }
    if (++m_nFdcPos[unit] < m_nFdcSize[unit]) {
        Latch(u.base) = kDataRequest;
        return value;
    }
    if (m_nFdcCmd[unit] & 0x10) {
        uint8_t& sector = Cell(u.base + 2);
        ++sector;
        const int size = fdd->SeekSector(Cell(u.base + 1), Side(*this, unit), sector - 1);
        if (size > 0) {
            m_nFdcPos[unit] = 0;
            m_nFdcSize[unit] = size;
            Latch(u.base) = kDataRequest;
            return value;
        }
    }
    FdcComplete(unit, uint8_t(unit == 0 ? kBusy : Cell(u.base) | kBusy));
    return value;
}

// The status register hands the pending data request back, and shows busy only once.
uint8_t CMainCpu::ReadFdcStatus(uint8_t reg) {
    const uint8_t value = Cell(reg);
    Cell(reg) = uint8_t((value & ~kBusy) | Latch(reg));
    Latch(reg) = 0;
    return value;
}

void CMainCpu::WriteFdcCommand(uint8_t reg, uint8_t value) {
    FdcCommand(UnitOf(reg), value);
}

uint8_t CMainCpu::ReadFdcData(uint8_t reg) {
    Cell(reg) = FdcData(UnitOf(reg), 0, Cell(reg));
    return Cell(reg);
}

void CMainCpu::WriteFdcData(uint8_t reg, uint8_t value) {
    Cell(reg) = FdcData(UnitOf(reg), 1, value);
}

uint8_t CMainCpu::ReadFdcDone(uint8_t reg) {
    const FdcUnit& u = kUnits[UnitOf(reg)];
    m_io[u.rawCell] &= ~u.rawBit;
    UpdateIrq();
    return Cell(reg);
}

// Unit A's side: bit 0 of the latch, mirrored in the completion register's bit 0.
void CMainCpu::WriteFdcSide(uint8_t reg, uint8_t value) {
    Latch(reg) = value;
    Cell(reg) = uint8_t((Cell(reg) & ~1) | (value & 1));
}

// Drive and side selects end whatever transfer the unit had going.
void CMainCpu::WriteFdcSelect(uint8_t reg, uint8_t value) {
    const FdcUnit& u = kUnits[UnitOf(reg)];
    Cell(u.base) = 0;
    Latch(u.base) = 0;
    Cell(reg) = value;
}

uint8_t CMainCpu::ReadFdcPresence(uint8_t) {
    uint8_t value = 0xC0;
    for (int n = 0; n < 4; ++n)
        if (m_pFdd[n]) value |= uint8_t(1 << n);
    return value;
}
