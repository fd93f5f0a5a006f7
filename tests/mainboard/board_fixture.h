// A main board with a known boot ROM (byte at $5000 + i is i ^ $A5, every vector $50xx,
// reset $5100), a display board and an injected host clock.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "display/sub_cpu.h"
#include "mainboard/main_cpu.h"
#include "platform/clock.h"
#include "platform/wnd.h"

// A debugger page that records the signals the board hands it.
template <class Page, class Reg> struct Recorder : Page {
    void Update(const Reg*, const char*) override {}
    void UpdateSignals(const Reg* reg) override { m_signals.push_back(reg->signals); }
    std::vector<uint8_t> m_signals;
};

class BoardTest : public ::testing::Test {
protected:
    static constexpr uint16_t kResetVector = 0x5100;

    BoardTest() {
        for (int i = 0; i < 4096; ++i)
            m_rom[i] = uint8_t(i ^ 0xA5);
        for (int i = 0; i < 16; i += 2)
            m_rom[0xFF0 + i] = 0x50, m_rom[0xFF1 + i] = uint8_t(i * 8);
        m_rom[0xFFE] = kResetVector >> 8;
        m_rom[0xFFF] = kResetVector & 0xFF;
        SetHostTickSource([this] { return m_now; });
        m_board->m_pRom = m_rom.data();
        m_board->m_pSub = m_sub.get();
        m_sub->m_pMainIo = m_board->m_io;
        m_sub->m_pPal = m_board->m_pal;
        m_board->Reset();
    }
    ~BoardTest() override { SetHostTickSource(nullptr); }

    uint8_t Read(uint16_t addr) { return m_board->ReadByte(addr); }
    void Write(uint16_t addr, uint8_t v) { m_board->WriteByte(addr, v); }
    void Accesses(int n) { // n counted accesses that touch nothing but RAM
        for (int i = 0; i < n; ++i)
            m_board->ReadByte(0x0100);
    }

    std::array<uint8_t, 4096> m_rom{};
    uint32_t m_now = 50000;
    std::unique_ptr<CSubCpu> m_sub = std::make_unique<CSubCpu>();
    std::unique_ptr<CMainCpu> m_board = std::make_unique<CMainCpu>();
};
