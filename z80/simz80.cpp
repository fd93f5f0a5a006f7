// The Z80's view of the main board and the frame of one instruction.
#include "z80/simz80.h"

#include <cstdio>

#include "mainboard/main_cpu.h"
#include "z80/alu.h"

namespace z80 {
extern const std::array<OpFn, 256> kMainOps;
}

// Every access counts on both of the main board's counters. $FC00-$FCFF is the board's
// own fixed RAM, $FD00-$FDFF its I/O page; everything else (the board's vector area
// $FE00-$FFFF included) is RAM of the bank that $FD2F selects at this very access.
uint8_t CSimZ80::ReadMem(uint16_t addr) {
    ++m_pMain->m_nPtmCount;
    ++m_pMain->m_nSpeedCount;
    switch (addr >> 8) {
    case 0xFC: return m_pIo[addr & 0xFFF];
    case 0xFD: return m_pMain->ReadIo(addr);
    default: return m_pMem[(m_pIo[0xD2F] & 0x0F) << 16 | addr];
    }
}

void CSimZ80::WriteMem(uint16_t addr, uint8_t value) {
    ++m_pMain->m_nPtmCount;
    ++m_pMain->m_nSpeedCount;
    switch (addr >> 8) {
    case 0xFC: m_pIo[addr & 0xFFF] = value; break;
    case 0xFD: m_pMain->WriteIo(addr, value); break;
    default: m_pMem[(m_pIo[0xD2F] & 0x0F) << 16 | addr] = value; break;
    }
}

void CSimZ80::Execute() {
    uint8_t op = FetchByte();
    z80::kMainOps[op](*this);
    if (m_pStat) [[unlikely]]
        Trace();
}

// The trace line of the instruction that executes next. Its six bytes are read
// through ReadMem, so tracing counts on the board and triggers I/O reads.
void CSimZ80::Trace() {
    uint8_t bytes[6];
    for (int i = 0; i < 6; ++i)
        bytes[i] = ReadMem(uint16_t(m_reg.PC + i));
    char line[8 + kDisasmSize];
    std::snprintf(line, sizeof line, "%04X ", unsigned(m_reg.PC));
    Disasm(line + 5, bytes, m_reg.PC);
    m_pStat->Update(&m_reg, line);
}
