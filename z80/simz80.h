// CSimZ80: the Z80 card's processor. One instruction per Execute call; it sees one
// 64 KB bank of the main board's RAM with the main board's $FC00-$FCFF and I/O page
// laid over it, and counts every access on the main board's access counters.
// Every access goes through the virtual ReadMem/WriteMem, in the order each
// instruction lists them; the count is the machine's emulated time. There are no
// interrupts, no trap and no cycle count; IN reads 0 and OUT goes nowhere.
//
// The main board owns the object, links m_pMain/m_pIo/m_pMem and clears m_reg on its
// reset, and calls Execute from its step while the card is switched on.
//
// Files: simz80.h (registers, class, register codes, 16-bit accesses, stack),
// simz80.cpp (main-board memory view, Execute frame, trace hook),
// alu.h (flag rules and ALU operations shared by the pages; internal),
// ops_main.cpp (unprefixed opcode table), ops_cb.cpp (CB page),
// ops_ed.cpp (ED page and block instructions), ops_index.cpp (DD/FD pages),
// disasm.cpp (disassembler).
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

    uint8_t A() const { return uint8_t(AF >> 8); }
    void SetA(uint8_t v) { AF = uint16_t((AF & 0x00FF) | (v << 8)); }
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
    virtual uint8_t InPort(uint8_t port) {
        (void)port;
        return 0;
    }
    virtual void OutPort(uint8_t port, uint8_t value) {
        (void)port;
        (void)value;
    }

    void Execute();

    // Longest disassembly text including its terminating NUL.
    static constexpr int kDisasmSize = 18;
    // Writes the text of the instruction whose first bytes are bytes[0..5] and which
    // lies at addr into text (at least kDisasmSize bytes).
    static void Disasm(char* text, const uint8_t* bytes, uint16_t addr);

    // Instruction fetch and 16-bit accesses, in the order the hardware makes them.
    uint8_t FetchByte() {
        uint8_t v = ReadMem(m_reg.PC);
        m_reg.PC = uint16_t(m_reg.PC + 1);
        return v;
    }
    uint16_t FetchWord() {
        uint8_t hi = ReadMem(uint16_t(m_reg.PC + 1));
        uint8_t lo = ReadMem(m_reg.PC);
        m_reg.PC = uint16_t(m_reg.PC + 2);
        return uint16_t(hi << 8 | lo);
    }
    uint16_t ReadWord(uint16_t addr) {
        uint8_t hi = ReadMem(uint16_t(addr + 1));
        uint8_t lo = ReadMem(addr);
        return uint16_t(hi << 8 | lo);
    }
    void WriteWord(uint16_t addr, uint16_t value) {
        WriteMem(addr, uint8_t(value));
        WriteMem(uint16_t(addr + 1), uint8_t(value >> 8));
    }
    void Push(uint16_t value) {
        m_reg.SP = uint16_t(m_reg.SP - 2);
        WriteWord(m_reg.SP, value);
    }
    uint16_t Pop() {
        uint16_t v = ReadWord(m_reg.SP);
        m_reg.SP = uint16_t(m_reg.SP + 2);
        return v;
    }

    // 8-bit operand by register code: B C D E H L (HL) A.
    uint8_t GetReg8(int code) {
        switch (code) {
        case 0: return uint8_t(m_reg.BC >> 8);
        case 1: return uint8_t(m_reg.BC);
        case 2: return uint8_t(m_reg.DE >> 8);
        case 3: return uint8_t(m_reg.DE);
        case 4: return uint8_t(m_reg.HL >> 8);
        case 5: return uint8_t(m_reg.HL);
        case 6: return ReadMem(m_reg.HL);
        default: return m_reg.A();
        }
    }
    void SetReg8(int code, uint8_t v) {
        switch (code) {
        case 0: m_reg.BC = uint16_t((m_reg.BC & 0x00FF) | v << 8); break;
        case 1: m_reg.BC = uint16_t((m_reg.BC & 0xFF00) | v); break;
        case 2: m_reg.DE = uint16_t((m_reg.DE & 0x00FF) | v << 8); break;
        case 3: m_reg.DE = uint16_t((m_reg.DE & 0xFF00) | v); break;
        case 4: m_reg.HL = uint16_t((m_reg.HL & 0x00FF) | v << 8); break;
        case 5: m_reg.HL = uint16_t((m_reg.HL & 0xFF00) | v); break;
        case 6: WriteMem(m_reg.HL, v); break;
        default: m_reg.SetA(v); break;
        }
    }

    // F is assembled from the flag bytes only by PUSH AF and EX AF,AF' and loaded into
    // them only by POP AF and EX AF,AF'; bits 5 and 3 of an assembled F are 0.
    uint8_t AssembleF() const {
        return uint8_t(m_reg.fS << 7 | m_reg.fZ << 6 | m_reg.fH << 4 | m_reg.fPV << 2 |
                       m_reg.fN << 1 | m_reg.fC);
    }
    void LoadF(uint8_t f) {
        m_reg.fS = (f >> 7) & 1;
        m_reg.fZ = (f >> 6) & 1;
        m_reg.fH = (f >> 4) & 1;
        m_reg.fPV = (f >> 2) & 1;
        m_reg.fN = (f >> 1) & 1;
        m_reg.fC = f & 1;
    }

    // The prefix pages; called after the prefix byte has been fetched.
    void ExecCB(uint16_t* index); // null: plain $CB; else IX or IY after $DD/$FD $CB
    void ExecED();
    void ExecIndexed(uint16_t& index);

    uint8_t* m_pMem = nullptr;
    uint8_t* m_pIo = nullptr;
    REGZ80 m_reg{};
    int32_t m_nTemp = 0;
    CTracePageZ80* m_pStat = nullptr;
    CMainCpu* m_pMain = nullptr;

private:
    void Trace();
};
