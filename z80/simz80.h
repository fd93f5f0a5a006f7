// CSimZ80: the Z80 card's processor. One instruction per Execute call; it sees one
// 64 KB bank of the main board's RAM with the main board's $FC00-$FCFF and I/O page
// laid over it, and counts every access on the main board's access counters.
#pragma once

#include <cstdint>

class CMainCpu;

struct REGZ80 {
    uint16_t AF, BC, DE, HL, RI; // RI: R high byte, I low byte
    uint16_t AF2, BC2, DE2, HL2;
    uint16_t IX, IY, SP, PC;
    uint8_t fS, fZ, fH, fPV, fN, fC;
    uint8_t IFF1, IFF2;
    uint8_t signals;
};

// What the core and the main board call on a debugger page (implemented by CStatZ80).
class CTracePageZ80 {
public:
    virtual ~CTracePageZ80() = default;
    virtual void Update(const REGZ80* reg, const char* line) = 0;
    virtual void UpdateSignals(const REGZ80* reg) = 0;
};

class CSimZ80 {
public:
    CSimZ80() = default;
    virtual ~CSimZ80() = default;

    virtual uint8_t ReadMem(uint16_t addr);
    virtual void WriteMem(uint16_t addr, uint8_t value);
    virtual uint8_t InPort(uint8_t port) { (void)port; return 0; }
    virtual void OutPort(uint8_t port, uint8_t value) { (void)port; (void)value; }

    void Execute();
    // Disassemble the instruction at addr into text; returns the next address.
    uint16_t Disasm(char* text, uint16_t addr);

    uint8_t* m_pMem = nullptr;
    uint8_t* m_pIo = nullptr;
    REGZ80 m_reg{};
    int32_t m_nTemp = 0;
    CTracePageZ80* m_pStat = nullptr;
    CMainCpu* m_pMain = nullptr;
};
