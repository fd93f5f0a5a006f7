// The main processor's memory map, decoded by 1 KB block. What a block answers depends
// only on three bits of the MMU control register $FD93 (bit 7 MMU on, bit 6 window on,
// bit 0 RAM instead of the boot ROM), so the eight possible maps are built at compile
// time and each access picks one by those bits: no state to keep in step with the
// registers, whoever changes them.
#include <array>

#include "mainboard/main_cpu.h"

namespace {

enum Block : uint8_t {
    kRam,    // RAM, physical = processor address
    kMmu,    // RAM through the MMU
    kRom,    // boot ROM, writes dropped
    kWindow, // 1 KB window into any RAM bank
    kTop,    // $FC00-$FFFF: fixed area and the I/O page
};

using BlockMap = std::array<uint8_t, 64>;

constexpr std::array<BlockMap, 8> MakeBlockMaps() {
    std::array<BlockMap, 8> maps{};
    for (int mode = 0; mode < 8; ++mode) {
        const bool mmuOn = mode & 4, windowOn = mode & 2, romOff = mode & 1;
        for (int b = 0; b < 64; ++b) {
            uint8_t kind = mmuOn ? kMmu : kRam;
            if (b >= 0x14 && b <= 0x17 && !romOff) kind = kRom;
            if (b == 0x1F && windowOn) kind = kWindow;
            if (b == 0x3F) kind = kTop;
            maps[mode][b] = kind;
        }
    }
    return maps;
}

constexpr std::array<BlockMap, 8> kBlockMaps = MakeBlockMaps();

inline const BlockMap& MapFor(uint8_t fd93) {
    return kBlockMaps[((fd93 >> 5) & 6) | (fd93 & 1)];
}

} // namespace

uint8_t CMainCpu::ReadByte(uint16_t addr) {
    // Wrapping counts: a board left running without ticks or timer must not overflow.
    m_nPtmCount = int(unsigned(m_nPtmCount) + 1u);
    m_nSpeedCount = int(unsigned(m_nSpeedCount) + 1u);
    switch (MapFor(m_io[kCell + 0x93])[addr >> 10]) {
    case kRam: return m_ram[addr];
    case kMmu: return m_ram[MmuAddress(addr)];
    case kRom: return m_pRom[addr & 0xFFF];
    case kWindow: return m_ram[WindowAddress(addr)];
    default:
        if ((addr >> 8) == 0xFD) return ReadIo(addr);
        return m_io[addr & 0xFFF];
    }
}

void CMainCpu::WriteByte(uint16_t addr, uint8_t value) {
    m_nPtmCount = int(unsigned(m_nPtmCount) + 1u);
    m_nSpeedCount = int(unsigned(m_nSpeedCount) + 1u);
    switch (MapFor(m_io[kCell + 0x93])[addr >> 10]) {
    case kRam: m_ram[addr] = value; return;
    case kMmu: m_ram[MmuAddress(addr)] = value; return;
    case kRom: return;
    case kWindow: m_ram[WindowAddress(addr)] = value; return;
    default:
        if ((addr >> 8) == 0xFD) {
            WriteIo(addr, value);
            return;
        }
        m_io[addr & 0xFFF] = value;
    }
}
