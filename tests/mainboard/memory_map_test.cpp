#include "board_fixture.h"

namespace {

using MemoryMap = BoardTest;

TEST_F(MemoryMap, WithTheMmuOffAddressesAreTheFirstBank) {
    for (uint16_t addr : {0x0000, 0x1234, 0x4FFF, 0x6000, 0x7FFF, 0x8000, 0xFBFF}) {
        Write(addr, uint8_t(addr >> 3));
        EXPECT_EQ(m_board->m_ram[addr], uint8_t(addr >> 3)) << std::hex << addr;
        EXPECT_EQ(Read(addr), uint8_t(addr >> 3)) << std::hex << addr;
    }
}

TEST_F(MemoryMap, MmuMapsEachPageOfTheSelectedSegment) {
    Write(0xFD90, 3);
    Write(0xFD81, 0x25); // page 1 of segment 3 -> physical page $25
    Write(0xFD90, 0);
    Write(0xFD81, 0x40); // page 1 of segment 0 -> physical page $40
    EXPECT_EQ(m_board->m_mmu[1 * 16 + 3], 0x25000);
    EXPECT_EQ(m_board->m_mmu[1 * 16 + 0], 0x40000);
    EXPECT_EQ(Read(0xFD81), 0x40);

    m_board->m_ram[0x25234] = 0x11;
    m_board->m_ram[0x40234] = 0x22;
    m_board->m_ram[0x01234] = 0x33;
    EXPECT_EQ(Read(0x1234), 0x33); // MMU still off

    Write(0xFD93, 0x80);
    EXPECT_EQ(Read(0x1234), 0x22);
    Write(0xFD90, 0xF3); // only the low 4 bits are kept
    EXPECT_EQ(Read(0xFD90), 0x03);
    EXPECT_EQ(Read(0xFD81), 0x25);
    EXPECT_EQ(Read(0x1234), 0x11);
    Write(0x1FFF, 0x44);
    EXPECT_EQ(m_board->m_ram[0x25FFF], 0x44);
    // Page 2 of segment 3 is still entry 0: physical page 0.
    Write(0x2000, 0x55);
    EXPECT_EQ(m_board->m_ram[0x00000], 0x55);
}

TEST_F(MemoryMap, EntriesSetDirectlyStayInsideRam) {
    m_board->m_mmu[6 * 16] = -1;
    m_board->m_mmu[7 * 16] = 0x7FFFFFFF;
    Write(0xFD93, 0x80);
    Write(0x6123, 0x66);
    Write(0x7456, 0x67);
    EXPECT_EQ(m_board->m_ram[0xFF123], 0x66);
    EXPECT_EQ(m_board->m_ram[0xFF456], 0x67);
}

TEST_F(MemoryMap, WindowReachesAnyBankAndWrapsInsideIt) {
    struct Case {
        uint8_t bank, offset;
        uint16_t addr;
        uint32_t phys;
    };
    const Case cases[] = {
        {2, 0x84, 0x7C00, 0x20000}, {2, 0x84, 0x7FFF, 0x203FF},    {2, 0x83, 0x7CFF, 0x2FFFF},
        {2, 0x83, 0x7D00, 0x20000}, {0x1F, 0x00, 0x7C10, 0xF7C10}, {5, 0x10, 0x7E00, 0x58E00},
    };
    Write(0xFD93, 0x40);
    for (const Case& c : cases) {
        Write(0xFD91, c.bank);
        Write(0xFD92, c.offset);
        Write(c.addr, 0x5A);
        EXPECT_EQ(m_board->m_ram[c.phys], 0x5A) << std::hex << c.addr;
        EXPECT_EQ(Read(c.addr), 0x5A);
        m_board->m_ram[c.phys] = 0;
    }
    Write(0xFD91, 0x1F);
    EXPECT_EQ(Read(0xFD91), 0x0F);

    // The window works with the MMU on, and without bit 6 the block is plain RAM.
    Write(0xFD91, 1);
    Write(0xFD92, 0);
    m_board->m_ram[0x17C00] = 0x99;
    Write(0xFD93, 0xC0);
    EXPECT_EQ(Read(0x7C00), 0x99);
    Write(0xFD93, 0x00);
    m_board->m_ram[0x7C00] = 0x98;
    EXPECT_EQ(Read(0x7C00), 0x98);
    EXPECT_EQ(Read(0x7BFF), m_board->m_ram[0x7BFF]);
}

TEST_F(MemoryMap, BootRomUntilBitZeroThenRam) {
    m_board->m_ram[0x5000] = 0x12;
    for (uint16_t addr : {0x5000, 0x5123, 0x5FFF})
        EXPECT_EQ(Read(addr), m_rom[addr & 0xFFF]);
    Write(0x5000, 0xEE);
    EXPECT_EQ(Read(0x5000), m_rom[0]);
    EXPECT_EQ(m_board->m_ram[0x5000], 0x12);
    EXPECT_EQ(Read(0x4FFF), m_board->m_ram[0x4FFF]);
    EXPECT_EQ(Read(0x6000), m_board->m_ram[0x6000]);

    Write(0xFD93, 0x01);
    EXPECT_EQ(Read(0x5000), 0x12);
    Write(0x5FFF, 0x34);
    EXPECT_EQ(m_board->m_ram[0x5FFF], 0x34);

    // RAM at $5000 goes through the MMU like any other page.
    Write(0xFD85, 0x31);
    Write(0xFD93, 0x81);
    Write(0x5004, 0x56);
    EXPECT_EQ(m_board->m_ram[0x31004], 0x56);
    Write(0xFD93, 0x80);
    EXPECT_EQ(Read(0x5004), m_rom[4]);
}

TEST_F(MemoryMap, FixedAreaBypassesTheMmu) {
    Write(0xFD80 + 0xF, 0x20);
    Write(0xFD93, 0xC1);
    for (uint16_t addr : {0xFC00, 0xFC80, 0xFCFF, 0xFE00, 0xFFF0, 0xFFFF}) {
        Write(addr, uint8_t(addr));
        EXPECT_EQ(m_board->m_io[addr & 0xFFF], uint8_t(addr)) << std::hex << addr;
        EXPECT_EQ(Read(addr), uint8_t(addr));
    }
    EXPECT_EQ(m_board->m_ram[0x20C00], 0);
    Write(0xFBFF, 0x71); // the page's RAM part still goes through the MMU
    EXPECT_EQ(m_board->m_ram[0x20BFF], 0x71);
}

TEST_F(MemoryMap, EveryAccessCountsOnce) {
    const int ptm = m_board->m_nPtmCount, speed = m_board->m_nSpeedCount;
    Read(0x0000);
    Write(0x5000, 1);
    Read(0xFD10);
    Write(0xFE00, 1);
    Read(0x7C00);
    EXPECT_EQ(m_board->m_nPtmCount - ptm, 5);
    EXPECT_EQ(m_board->m_nSpeedCount - speed, 5);
    // ReadIo itself is not an access: the Z80 counts its own before calling it.
    m_board->ReadIo(0xFD10);
    EXPECT_EQ(m_board->m_nPtmCount - ptm, 5);
}

TEST_F(MemoryMap, CountsWrapInsteadOfOverflowing) {
    m_board->m_nPtmCount = INT32_MAX;
    m_board->m_nSpeedCount = INT32_MAX;
    Read(0);
    EXPECT_EQ(m_board->m_nPtmCount, INT32_MIN);
    EXPECT_EQ(m_board->m_nSpeedCount, INT32_MIN);
}

} // namespace
