// CSim09: one HD6309 processor. Executes one instruction per Execute call, takes IRQ,
// FIRQ and NMI when the owning board calls the entries, raises the illegal-instruction
// and division-by-zero traps, and reaches memory only through ReadByte/WriteByte,
// which the owning board overrides. The boards count those calls as emulated time,
// so the number and order of accesses of every instruction are behaviour.
// ResetRegisters performs the reset contract (all registers 0, then PC from $FFFE and
// $FFFF, high byte first); the constructor does the same through the base seam.
// While m_pStat is set, every executed instruction ends with a call of its Update with
// the trace line "%04X " (new PC) + the disassembly there.
//
// Files: sim09.h (registers, class), core09.h (tables, access primitives, operand
// fetch, register codes), alu09.h (flag rules), sim09.cpp (construction, reset,
// Execute frame, prefixes, debugger hook, tables), seam.cpp (ReadByte/WriteByte
// defaults), entries.cpp (IRQ/FIRQ/NMI, traps, SWI, CWAI, RTI, full-state stacking),
// addressing.cpp (indexed forms with offsets, W and indirection), page0_rmw.cpp
// ($00-$0F, $40-$7F), page0_acc.cpp ($80-$FF), page0_misc.cpp ($12-$1F, ABX, MUL),
// page0_flow.cpp (branches, LEA, PSH/PUL, RTS), page10.cpp, page11.cpp,
// page11_bits.cpp (bit transfers, TFM, MD), disasm.cpp and optable.cpp
// (disassembler, opcode texts).
#pragma once

#include <cstdint>

class CWnd;

struct REG09 {
    uint16_t W, D, X, Y, U, S, V, PC;
    uint8_t CC, DP, MD, ZERO;
    uint16_t wait;
    uint8_t signals;

    uint8_t A() const { return D >> 8; }
    uint8_t B() const { return D & 0xFF; }
    uint8_t E() const { return W >> 8; }
    uint8_t F() const { return W & 0xFF; }
    void SetA(uint8_t v) { D = uint16_t((D & 0x00FF) | (v << 8)); }
    void SetB(uint8_t v) { D = uint16_t((D & 0xFF00) | v); }
    void SetE(uint8_t v) { W = uint16_t((W & 0x00FF) | (v << 8)); }
    void SetF(uint8_t v) { W = uint16_t((W & 0xFF00) | v); }
    uint32_t Q() const { return (uint32_t(D) << 16) | W; }
    void SetQ(uint32_t q) {
        D = uint16_t(q >> 16);
        W = uint16_t(q);
    }
};

// CC bits
enum : uint8_t {
    CC_C = 0x01,
    CC_V = 0x02,
    CC_Z = 0x04,
    CC_N = 0x08,
    CC_I = 0x10,
    CC_H = 0x20,
    CC_F = 0x40,
    CC_E = 0x80
};
// MD bits
enum : uint8_t { MD_NM = 0x01, MD_FM = 0x02, MD_IL = 0x40, MD_DZ = 0x80 };
// wait bits
enum : uint16_t { WAIT_CWAI = 0x01, WAIT_NMI = 0x02 };
// signals bits
enum : uint8_t { SIG_IRQ = 0x01, SIG_FIRQ = 0x02, SIG_NMI = 0x04, SIG_HALT = 0x08 };

// What the core and its board call on a debugger page (implemented by CStat09).
class CTracePage09 {
public:
    virtual ~CTracePage09() = default;
    virtual void Update(const REG09* reg, const char* line) = 0;
    virtual void UpdateSignals(const REG09* reg) = 0;
};

class CSim09 {
public:
    CSim09();
    virtual ~CSim09() = default;

    virtual uint8_t ReadByte(uint16_t addr);
    virtual void WriteByte(uint16_t addr, uint8_t value);

    // Clears every register and loads PC from $FFFE (high) and $FFFF (low).
    void ResetRegisters();

    void Execute();
    void Irq();
    void Firq();
    void Nmi();
    uint16_t GetIndexedAddress();

    // Disassemble the instruction at addr into text; returns the next address.
    uint16_t Disasm(char* text, uint16_t addr);
    // Indexed operand text; addr goes from the postbyte to the byte after its offset.
    const char* DisasmIndexed(uint16_t& addr);

    REG09 m_reg{};
    CWnd* m_pWnd = nullptr;
    CTracePage09* m_pStat = nullptr;
};
