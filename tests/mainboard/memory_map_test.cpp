#include "board_fixture.h"

namespace {

using MemoryMap = MainBoardTest;

TEST_F(MemoryMap, MmuMapsEachPageOfTheSelectedSegment) {
    Write(0xFD90, 3);
    Write(0xFD81, 0x25); // page 1 of segment 3 -> physical page $25
    Write(0xFD90, 0);
    Write(0xFD81, 0x40); // page 1 of segment 0 -> physical page $40
    m_board->m_ram[0x25234] = 0x11;
    m_board->m_ram[0x40234] = 0x22;
    m_board->m_ram[0x01234] = 0x33;
    EXPECT_EQ(Read(0x1234), 0x33); // MMU off: the first bank

    Write(0xFD93, 0x80);
    EXPECT_EQ(Read(0x1234), 0x22);
    Write(0xFD90, 0xF3); // only the low 4 bits are kept
    EXPECT_EQ(Read(0xFD90), 0x03);
    EXPECT_EQ(Read(0xFD81), 0x25);
    EXPECT_EQ(Read(0x1234), 0x11);
    Write(0x1FFF, 0x44);
    EXPECT_EQ(m_board->m_ram[0x25FFF], 0x44);
    Write(0x2000, 0x55); // page 2 of segment 3 was never set: physical page 0
    EXPECT_EQ(m_board->m_ram[0x00000], 0x55);
    Write(0xFD8F, 0x20); // page 15 -> $20: its RAM part, but not the fixed area at $FC00
    Write(0xFBFF, 0x71);
    EXPECT_EQ(m_board->m_ram[0x20BFF], 0x71);
    for (uint16_t addr : {0xFC00, 0xFE00, 0xFFFF}) {
        Write(addr, 0x5A);
        EXPECT_EQ(m_board->m_io[addr & 0xFFF], 0x5A) << std::hex << addr;
    }
    EXPECT_EQ(m_board->m_ram[0x20C00], 0);

    // Entries set directly out of range still land inside RAM.
    m_board->m_mmu[6 * 16 + 3] = -1;
    m_board->m_mmu[7 * 16 + 3] = 0x7FFFFFFF;
    Write(0x6123, 0x66);
    Write(0x7456, 0x67);
    EXPECT_EQ(m_board->m_ram[0xFF123], 0x66);
    EXPECT_EQ(m_board->m_ram[0xFF456], 0x67);
}

TEST_F(MemoryMap, WindowReachesAnyBankAndWrapsInsideIt) {
    struct {
        uint8_t bank, offset;
        uint16_t addr;
        uint32_t phys;
    } cases[] = {{2, 0x84, 0x7C00, 0x20000},    {2, 0x84, 0x7FFF, 0x203FF},
                 {2, 0x83, 0x7CFF, 0x2FFFF},    {2, 0x83, 0x7D00, 0x20000},
                 {0x1F, 0x00, 0x7C10, 0xF7C10}, {5, 0x10, 0x7E00, 0x58E00}};
    Write(0xFD93, 0xC0); // window on, MMU on
    for (const auto& c : cases) {
        Write(0xFD91, c.bank);
        Write(0xFD92, c.offset);
        Write(c.addr, 0x5A);
        EXPECT_EQ(m_board->m_ram[c.phys], 0x5A) << std::hex << c.addr;
        EXPECT_EQ(Read(c.addr), 0x5A);
        m_board->m_ram[c.phys] = 0;
    }
    Write(0xFD93, 0x00); // without bit 6 the block is plain RAM
    m_board->m_ram[0x7C00] = 0x98;
    EXPECT_EQ(Read(0x7C00), 0x98);
}

TEST_F(MemoryMap, BootRomUntilBitZeroThenRamThroughTheMmu) {
    m_board->m_ram[0x5000] = 0x12;
    for (uint16_t addr : {0x5000, 0x5123, 0x5FFF})
        EXPECT_EQ(Read(addr), m_rom[addr & 0xFFF]);
    Write(0x5000, 0xEE); // dropped
    EXPECT_EQ(m_board->m_ram[0x5000], 0x12);
    EXPECT_EQ(Read(0x5000), m_rom[0]);

    Write(0xFD93, 0x01);
    EXPECT_EQ(Read(0x5000), 0x12);
    Write(0xFD85, 0x31);
    Write(0xFD93, 0x81);
    Write(0x5004, 0x56);
    EXPECT_EQ(m_board->m_ram[0x31004], 0x56);
    Write(0xFD93, 0x80);
    EXPECT_EQ(Read(0x5004), m_rom[4]);
}

TEST_F(MemoryMap, EveryAccessCountsOnceAndCountsWrap) {
    for (uint16_t addr : {0x0000, 0x5000, 0xFD10, 0xFE00})
        Write(addr, Read(addr));
    m_board->ReadIo(0xFD10);                // not an access: the Z80 counts its own
    EXPECT_EQ(m_board->m_nPtmCount, 2 + 8); // and the reset's two vector reads
    EXPECT_EQ(m_board->m_nSpeedCount, 2 + 8);
    m_board->m_nPtmCount = m_board->m_nSpeedCount = INT32_MAX;
    Read(0);
    EXPECT_EQ(m_board->m_nPtmCount, INT32_MIN);
    EXPECT_EQ(m_board->m_nSpeedCount, INT32_MIN);
}

} // namespace
