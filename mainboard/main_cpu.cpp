// Construction, reset, the per-step service and the window seam of the main board.
#include "mainboard/main_cpu.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/wnd.h"
#include "rom/roms.h"

CMainCpu::CMainCpu() {
    std::memset(m_ram, 0, sizeof m_ram);
    std::memset(m_io, 0, sizeof m_io);
    std::fill(std::begin(m_mmu), std::end(m_mmu), 0);
    std::fill(std::begin(m_ptmCtrl), std::end(m_ptmCtrl), 0);
    std::fill(std::begin(m_ptmLatch), std::end(m_ptmLatch), 0);
    std::fill(std::begin(m_ptmCount), std::end(m_ptmCount), 0);
    std::fill(std::begin(m_pal), std::end(m_pal), 0);
    m_pRom = g_bootRom;
    RegisterCoreIo();
    RegisterTimer();
    RegisterFdc();
    RegisterDma();
    RegisterHdd();
    RegisterUsart();
    RegisterPrinter();
    RegisterHostFile();
}

// The board owns the files stored in it. Device files add the objects they own
// (floppy images, terminals, the host file) ahead of and after these.
CMainCpu::~CMainCpu() {
    CloseFloppies();
    auto release = [](CFile*& file) {
        if (!file) return;
        try {
            file->Close();
        } catch (...) {
        }
        delete file;
        file = nullptr;
    };
    for (CFile*& file : m_pHdd)
        release(file);
    for (CFile*& file : m_pPrn)
        release(file);
    ReleasePorts();
}

void CMainCpu::Reset() {
    if (!m_pRom) m_pRom = g_bootRom;
    std::memset(m_io, 0, sizeof m_io);
    std::memcpy(m_io + 0xFF0, m_pRom + 0xFF0, 16); // the vectors
    Cell(0xC0) = 0x80;                             // hard disk idle
    Cell(0xC3) = 0x10;
    m_nHddPhase = 0;
    m_bBankOverShown = false;
    Cell(0x23) = uint8_t(m_nDipSw);
    m_nPtmNext = 0;
    m_nPtmCount = 0;
    m_bPtmArmed = 0;
    m_nSpeedCount = 0;
    m_nSpeed = 2000;
    m_nTickMs = 0;
    m_bTick = 0;
    m_dwLastTick = HostTickCount();
    std::fill(std::begin(m_ptmCtrl), std::end(m_ptmCtrl), 0);
    std::fill(std::begin(m_usartCmd), std::end(m_usartCmd), 0);
    std::fill(std::begin(m_usartStat), std::end(m_usartStat), 0);
    m_z80.m_pMain = this;
    m_z80.m_pIo = m_io;
    m_z80.m_pMem = m_ram;
    m_z80.m_reg = REGZ80{};
    ResetRegisters(); // REG09 cleared, PC from the vector copied above
}

void CMainCpu::Step() {
    if (m_bTick) {
        m_nTickMs += 100;
        m_bTick = 0;
        if (m_nTickMs > 2000 || m_nSpeedCount > 1000000) {
            const uint32_t now = HostTickCount();
            const uint32_t elapsed = now - m_dwLastTick;
            // No measurement over 0 ms, nor while the debugger holds the machine.
            if (!m_pStat && elapsed != 0) {
                const int64_t rate = int64_t(uint32_t(m_nSpeedCount)) * 10 / elapsed;
                m_nSpeed = int(std::min<int64_t>((rate + m_nSpeed) / 2, INT_MAX));
            }
            m_nSpeedCount = 0;
            m_nTickMs = 0;
            m_dwLastTick = now;
        }
        UsartTick();
    }

    if (m_bPtmArmed && m_nPtmNext < m_nPtmCount) PtmAccess(PTM_COUNTDOWN, 0, 0);

    if (!(Latch(0x05) & 0x01)) {
        m_reg.signals = 0;
        m_z80.m_reg.signals = SIG_HALT;
        if (Cell(0x03)) {
            m_reg.signals = SIG_IRQ;
            Irq();
        }
        if (Cell(0x04)) {
            m_reg.signals |= SIG_FIRQ;
            Firq();
        }
        Execute();
    } else {
        m_reg.signals = SIG_HALT;
        m_z80.m_reg.signals = Cell(0x03) ? SIG_IRQ : 0;
        m_z80.Execute();
    }

    if (m_pStat) m_pStat->UpdateSignals(&m_reg);
    if (m_z80.m_pStat) m_z80.m_pStat->UpdateSignals(&m_z80.m_reg);
}

void CMainCpu::PostToView(unsigned id) {
    if (m_pView) m_pView->PostCommand(id);
}

void CMainCpu::MessageToView(const std::string& textUtf8) {
    if (m_pView) m_pView->MessageBox(textUtf8, std::string());
}
