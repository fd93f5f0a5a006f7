// Construction, reset, the frame of Execute (fetch, dispatch, prefixes, CWAI idle)
// and the debugger hook; the three opcode tables are assembled here from the
// family installers.
#include <cstdio>

#include "cpu6309/core09.h"

namespace cpu09 {

Handler g_page0[256];
Handler g_page10[256];
Handler g_page11[256];

namespace {

void Prefix10(CSim09& c) {
    uint8_t op = Fetch(c);
    g_page10[op](c);
}

void Prefix11(CSim09& c) {
    uint8_t op = Fetch(c);
    g_page11[op](c);
}

bool BuildTables() {
    for (int i = 0; i < 256; i++)
        g_page0[i] = g_page10[i] = g_page11[i] = &OpIllegal;
    InstallPage0Rmw(g_page0);
    InstallPage0Acc(g_page0);
    InstallPage0Misc(g_page0);
    InstallPage0Flow(g_page0);
    InstallPage10(g_page10);
    InstallPage11(g_page11);
    InstallPage11Bits(g_page11);
    InstallEntries(g_page0, g_page10, g_page11);
    g_page0[0x10] = &Prefix10;
    g_page0[0x11] = &Prefix11;
    // Second bytes outside $21-$FF ($10 page) and $30-$FB ($11 page) always trap.
    for (int i = 0; i < 0x21; i++)
        g_page10[i] = &OpIllegal;
    for (int i = 0; i < 0x30; i++)
        g_page11[i] = &OpIllegal;
    for (int i = 0xFC; i < 0x100; i++)
        g_page11[i] = &OpIllegal;
    return true;
}

[[gnu::cold, gnu::noinline]] void Trace(CSim09& c) {
    char line[64];
    std::snprintf(line, sizeof line, "%04X ", unsigned(c.m_reg.PC));
    c.Disasm(line + 5, c.m_reg.PC);
    c.m_pStat->Update(&c.m_reg, line);
}

} // namespace
} // namespace cpu09

CSim09::CSim09() {
    static const bool s_built = cpu09::BuildTables();
    (void)s_built;
    ResetRegisters();
}

void CSim09::ResetRegisters() {
    m_reg = REG09{};
    uint8_t hi = ReadByte(0xFFFE);
    uint8_t lo = ReadByte(0xFFFF);
    m_reg.PC = uint16_t(hi << 8 | lo);
}

void CSim09::Execute() {
    if (m_reg.wait & WAIT_CWAI) [[unlikely]] {
        // Waiting after CWAI: one idle read at PC, no instruction, no trace line.
        m_reg.signals |= SIG_HALT;
        ReadByte(m_reg.PC);
        return;
    }
    uint8_t op = ReadByte(m_reg.PC++);
    cpu09::g_page0[op](*this);
    if (m_pStat) [[unlikely]]
        cpu09::Trace(*this);
}
