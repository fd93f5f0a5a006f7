// CMainCpu: the main board. The main HD6309 with 1 MB of RAM behind the MMU, the boot
// ROM, the window, the fixed area and the I/O page with every device of the board.
// The view constructs it, attaches files, sets m_pView and m_pSub, calls Reset before
// the display board's Reset and sets m_bTick every 100 ms; the idle loop and the
// debugger call Step.
//
// Time is the count of memory accesses: every ReadByte/WriteByte (and every access of
// the Z80 card) adds one to m_nPtmCount and m_nSpeedCount.
//
// m_io layout: [0x000 + r] write latch of register $FD00 + r, [0x100 + r] raw flags of
// register $FD00 + r, [0xC00-0xCFF] $FC00-$FCFF, [0xD00 + r] read cell of $FD00 + r,
// [0xE00-0xFFF] $FE00-$FFFF. The display board shares this array.
//
// The I/O page dispatches through two 256-entry handler tables. Every address starts
// as a plain cell; each device file fills its addresses from one registration function
// called by the constructor (RegisterCoreIo, RegisterTimer, ...).
//
// Files: main_cpu.cpp (construction, Reset, Step, window seam), memory_map.cpp
// (ReadByte/WriteByte), io_page.cpp (dispatch, board registers, interrupt status),
// timer.cpp (programmable timer).
#pragma once

#include <cstdint>
#include <string>

#include "cpu6309/sim09.h"
#include "z80/simz80.h"

class CFile;
class CFileFdd;
class CTerm;
class CSubCpu;

class CMainCpu : public CSim09 {
public:
    CMainCpu();
    ~CMainCpu() override;
    CMainCpu(const CMainCpu&) = delete;
    CMainCpu& operator=(const CMainCpu&) = delete;

    uint8_t ReadByte(uint16_t addr) override;
    void WriteByte(uint16_t addr, uint8_t value) override;
    uint8_t ReadIo(uint16_t addr);
    void WriteIo(uint16_t addr, uint8_t value);
    uint8_t UpdateIrq();
    uint8_t UpdateIrq2();
    void Reset();
    void Step();

    // Programmable timer: op 0 read, 1 write, 2 countdown; reg = low byte of the address.
    enum { PTM_READ = 0, PTM_WRITE = 1, PTM_COUNTDOWN = 2 };
    uint8_t PtmAccess(int op, uint8_t reg, uint8_t value);
    void PtmStart(int slot);

    // The window seam: both do nothing while no view is attached.
    void PostToView(unsigned id);
    void MessageToView(const std::string& textUtf8);

    // m_io regions and cells by register (r = low byte of $FDxx).
    static constexpr int kLatch = 0x000;
    static constexpr int kRaw = 0x100;
    static constexpr int kCell = 0xD00;
    uint8_t& Latch(int r) { return m_io[kLatch + r]; }
    uint8_t& Raw(int r) { return m_io[kRaw + r]; }
    uint8_t& Cell(int r) { return m_io[kCell + r]; }

    // I/O page handlers; reg is the low byte of the address.
    using IoReader = uint8_t (CMainCpu::*)(uint8_t reg);
    using IoWriter = void (CMainCpu::*)(uint8_t reg, uint8_t value);
    void SetIoRead(uint8_t first, uint8_t last, IoReader fn);
    void SetIoWrite(uint8_t first, uint8_t last, IoWriter fn);

    uint8_t m_ram[1048576];
    uint8_t m_io[4096];
    int m_mmu[256];
    uint16_t m_ptmCtrl[6];
    int m_ptmLatch[6];
    int m_ptmCount[6];
    int m_nPtmNext = 0;
    int m_nPtmCount = 0;
    int m_nSpeedCount = 0;
    int m_nSpeed = 2000;
    int m_nTickMs = 0;
    uint32_t m_dwLastTick = 0;
    int m_bTick = 0;
    uint8_t m_pal[8];
    int m_nDipSw = 159;
    CFileFdd* m_pFdd[8] = {};
    CFile* m_pHdd[4] = {};
    CFile* m_pPrn[3] = {};
    CTerm* m_pTerm[5] = {};
    CSimZ80 m_z80;
    CWnd* m_pView = nullptr;         // posted commands and message boxes
    CSubCpu* m_pSub = nullptr;       // the display board, set by the view with m_pView
    const uint8_t* m_pRom = nullptr; // the 4 KB boot ROM (never null)

    // True while some timer slot runs, so that a slot whose remaining count is 0 still
    // expires at the next access (m_nPtmNext alone cannot tell 0 from "nothing pending").
    int m_bPtmArmed = 0;

    // Physical RAM addresses. The masks keep every result inside m_ram even when m_mmu
    // or a register cell was set from outside the register writes.
    uint32_t MmuAddress(uint16_t addr) const {
        return (uint32_t(m_mmu[(addr >> 12) << 4 | (m_io[kCell + 0x90] & 15)]) & 0xFF000) |
               (addr & 0xFFF);
    }
    uint32_t WindowAddress(uint16_t addr) const {
        return ((m_io[kCell + 0x91] & 15u) << 16) | ((m_io[kCell + 0x92] * 256u + addr) & 0xFFFF);
    }

private:
    IoReader m_ioRead[256];
    IoWriter m_ioWrite[256];

    void RegisterCoreIo();
    void RegisterTimer();

    // Plain cells and the board's own registers (io_page.cpp).
    uint8_t ReadPlain(uint8_t reg);
    void WritePlain(uint8_t reg, uint8_t value);
    void WriteLatch(uint8_t reg, uint8_t value);
    void WriteIgnored(uint8_t reg, uint8_t value);
    uint8_t ReadKeyLow(uint8_t reg);
    void WriteMask1(uint8_t reg, uint8_t value);
    uint8_t ReadStatus1(uint8_t reg);
    uint8_t ReadFirqCause(uint8_t reg);
    void WriteFirqAck(uint8_t reg, uint8_t value);
    void WriteSubControl(uint8_t reg, uint8_t value);
    void WritePrinterAck(uint8_t reg, uint8_t value);
    uint8_t ReadStatus2(uint8_t reg);
    uint8_t ReadMmu(uint8_t reg);
    void WriteMmu(uint8_t reg, uint8_t value);
    void WriteLow4(uint8_t reg, uint8_t value);
    void WritePalette(uint8_t reg, uint8_t value);

    // Programmable timer (timer.cpp).
    uint8_t PtmRead(uint8_t reg) { return PtmAccess(PTM_READ, reg, 0); }
    void PtmWrite(uint8_t reg, uint8_t value) { PtmAccess(PTM_WRITE, reg, value); }
    void PtmControl(int i, uint8_t value);
    void PtmLatch(int c, bool low, uint8_t value);
    uint8_t PtmCounter(int c, bool low);
    void PtmCountdown();
    void PtmClearCounterFlag(int c);
    int PtmToAccesses(int c, int64_t n) const;
    int PtmFromAccesses(int c, int64_t n) const;

    // Floppy controllers and DMA (fdc.cpp, write_track.cpp, dma.cpp)
public:
    int m_nFdcPos[2] = {};  // programmed I/O: next byte of the sector, unit A / B
    int m_nFdcSize[2] = {}; // size of the sector being moved
    int m_nFdcCmd[2] = {};  // the type II command that started the transfer
    // "DMA Bank Over" was shown since the last Reset: a guest that keeps crossing banks
    // would otherwise hold the user in one modal box after another.
    bool m_bBankOverShown = false;
    void FdcCommand(int unit, uint8_t cmd);
    uint8_t FdcData(int unit, int write, uint8_t value);
    // Moves at most limit bytes between RAM and the device on channel c's settings and
    // answers the channel's remaining count. A host I/O error ends the transfer early
    // and sets *fault.
    int DmaTransfer(int c, CFile* device, int limit, bool* fault = nullptr);
    // WRITE TRACK: parses the raw track in channel c's memory into track (C, H).
    int WriteTrack(int c, CFileFdd* fdd, int C, int H, int limit);

private:
    void RegisterFdc();
    void RegisterDma();
    void CloseFloppies();
    CFileFdd* FdcDrive(int unit);
    void FdcComplete(int unit, uint8_t status);
    uint8_t FdcTypeI(int unit, uint8_t cmd, CFileFdd* fdd);
    uint8_t FdcTypeII(int unit, uint8_t cmd, CFileFdd* fdd);
    uint8_t FdcTypeIII(int unit, uint8_t cmd, CFileFdd* fdd);
    uint8_t ReadFdcStatus(uint8_t reg);
    void WriteFdcCommand(uint8_t reg, uint8_t value);
    uint8_t ReadFdcData(uint8_t reg);
    void WriteFdcData(uint8_t reg, uint8_t value);
    uint8_t ReadFdcDone(uint8_t reg);
    void WriteFdcSide(uint8_t reg, uint8_t value);
    void WriteFdcSelect(uint8_t reg, uint8_t value);
    uint8_t ReadFdcPresence(uint8_t reg);
    uint8_t ReadDmaControl(uint8_t reg);
    void WriteDmaAck(uint8_t reg, uint8_t value);

    // Hard-disk controller (hdd.cpp)
public:
    uint8_t m_nHddCmd = 0;
    uint8_t m_nHddPhase = 0; // 0 idle, 1 collecting parameters, 4 results ready
    uint8_t m_nHddResIdx = 0;
    uint8_t m_hddRes[10] = {};
    uint8_t m_nHddParCnt = 0;
    uint8_t m_hddPar[10] = {};
    void HddWriteCommand(uint8_t reg, uint8_t value);
    void HddWriteParam(uint8_t reg, uint8_t value);
    uint8_t HddReadResult(uint8_t reg);

private:
    void RegisterHdd();
    void WriteHddControl(uint8_t reg, uint8_t value);
    void HddResultsReady();
    void HddTransfer();

    // Serial, printer and host-file ports (usart.cpp, printer.cpp, hostfile.cpp).
public:
    // UsartAccess operations: writes use (address bit 0), reads 2 + (address bit 0).
    enum { USART_DATA = 0, USART_COMMAND = 1, USART_READ = 2, USART_STATUS = 3 };
    uint8_t UsartAccess(int port, int op, uint8_t value);
    void FilePortCommand(uint8_t value);
    void FilePortWrite(uint8_t value);
    uint8_t FilePortRead();

    uint8_t m_usartCmd[5] = {};
    uint8_t m_usartStat[5] = {};
    uint8_t m_usartTx[5] = {};
    uint8_t m_usartHeld[5] = {}; // 1 while m_usartTx waits to be handed to a terminal
    // A printer byte its file refused (disk full, file-size limit, a FIFO with no room)
    // waits here; while it does the status shows no acknowledge. It is tried again at the
    // port's next strobe or status read; a strobe that finds it still waiting loses its
    // own byte. The view is asked once a wait to tell the user (ID_PRINTER_REFUSED + n):
    // at the refusal, or where the file is only busy (EAGAIN) at the first byte lost.
    // A wait survives a reset; the view ends it when it closes the file (PrinterDetach).
    struct PrinterWait {
        bool held = false;   // `byte` waits to be written
        bool told = false;   // this wait was posted to the view
        bool toShow = false; // posted, not yet shown (cleared by the view)
        uint8_t byte = 0;
        int error = 0;     // errno of the last refusal
        uint32_t lost = 0; // bytes strobed during this wait, never written
    };
    PrinterWait m_prnWait[3];
    // Tries printer n's waiting byte again; true when no byte waits (any more).
    bool PrinterRetry(int n);
    // Printer n's file is going: ends its wait and answers the count of the bytes of that
    // wait that were never written (the waiting one and those lost meanwhile).
    uint32_t PrinterDetach(int n);

    uint8_t m_nFileMode = 0;
    uint8_t m_nFileState = 0;
    uint8_t m_nFileByte = 0;
    CFile* m_pFile = nullptr;
    std::string m_strFileName;

private:
    void RegisterUsart();
    void RegisterPrinter();
    void RegisterHostFile();
    void UsartTick();
    void ReleasePorts();
    uint8_t UsartRead(uint8_t reg);
    void UsartWrite(uint8_t reg, uint8_t value);
    uint8_t UsartEvaluate(int port);
    uint8_t PrinterStatus(uint8_t reg);
    void PrinterControl(uint8_t reg, uint8_t value);
    bool PrinterWrite(int n, uint8_t b);
    void PrinterTell(int n);
    uint8_t FilePortIoRead(uint8_t reg);
    void FilePortIoWrite(uint8_t reg, uint8_t value);
    void FilePortOpen();
    bool FilePortClose();
};
