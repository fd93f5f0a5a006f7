// CMainCpu: the main board. The main HD6309 with 1 MB of RAM behind the MMU, the boot
// ROM, the window, the fixed area and the I/O page with every device of the board.
// The view constructs it, attaches files, calls Reset before the display board's
// Reset and sets m_bTick every 100 ms; the idle loop and the debugger call Step.
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

    uint8_t ReadByte(uint16_t addr) override;
    void WriteByte(uint16_t addr, uint8_t value) override;
    uint8_t ReadIo(uint16_t addr);
    void WriteIo(uint16_t addr, uint8_t value);
    uint8_t UpdateIrq();
    uint8_t UpdateIrq2();
    void Reset();
    void Step();

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
    CWnd* m_pView = nullptr;   // posted commands and message boxes
    CSubCpu* m_pSub = nullptr; // the display board, set by the view with m_pView
    const uint8_t* m_pRom = nullptr; // the 4 KB boot ROM
};
