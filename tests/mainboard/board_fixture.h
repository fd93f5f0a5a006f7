// A main board with a known boot ROM (byte at $5000 + i is i ^ $A5, every vector $50xx,
// reset $5100), a display board and the host clock of the display board's tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>

#include "display/sub_cpu.h"
#include "mainboard/main_cpu.h"
#include "platform/wnd.h"
#include "tests/display/board.h" // HostClock, NullPage

class MainBoardTest : public ::testing::Test {
protected:
    static constexpr uint16_t kResetVector = 0x5100;

    MainBoardTest() {
        for (int i = 0; i < 4096; ++i)
            m_rom[i] = uint8_t(i ^ 0xA5);
        for (int i = 0; i < 16; i += 2)
            m_rom[0xFF0 + i] = 0x50, m_rom[0xFF1 + i] = uint8_t(i * 8);
        m_rom[0xFFE] = kResetVector >> 8;
        m_rom[0xFFF] = kResetVector & 0xFF;
        m_board->m_pRom = m_rom.data();
        m_board->m_pSub = m_sub.get();
        m_sub->m_pMainIo = m_board->m_io;
        m_sub->m_pPal = m_board->m_pal;
        m_board->Reset();
    }

    uint8_t Read(uint16_t addr) { return m_board->ReadByte(addr); }
    void Write(uint16_t addr, uint8_t v) { m_board->WriteByte(addr, v); }
    void Accesses(int n) { // n counted accesses that touch nothing but RAM
        for (int i = 0; i < n; ++i)
            m_board->ReadByte(0x0100);
    }

    std::array<uint8_t, 4096> m_rom{};
    HostClock m_clock{50000};
    std::unique_ptr<CSubCpu> m_sub = std::make_unique<CSubCpu>();
    std::unique_ptr<CMainCpu> m_board = std::make_unique<CMainCpu>();
};
