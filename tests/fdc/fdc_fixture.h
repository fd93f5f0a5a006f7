// A main board on the heap with a recording window and a scratch folder for images,
// plus helpers to set up DMA channels and to build raw images and raw tracks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "floppy/file_fdd.h"
#include "mainboard/main_cpu.h"
#include "tests/platform/fake_wnd.h"
#include "tests/platform/temp_dir.h"

// Every byte of a test image tells where it lies.
inline uint8_t ImageByte(uint32_t offset) {
    return uint8_t(offset ^ offset >> 8 ^ offset >> 16);
}

// `size` bytes of a test image from offset `from` on.
inline Bytes PatternImage(uint32_t size, uint32_t from = 0) {
    Bytes b(size);
    for (uint32_t o = 0; o < size; ++o)
        b[o] = ImageByte(from + o);
    return b;
}

// Raw track bytes as a format program lays them out (double density): gaps, sync
// bytes, marks, ID and data fields, $F7 for each CRC.
struct TrackBuilder {
    Bytes bytes;
    std::vector<size_t> ends; // offset of each data field's $F7
    // Runs of (count, byte).
    void Fill(std::initializer_list<std::pair<int, uint8_t>> runs) {
        for (auto [n, b] : runs)
            bytes.insert(bytes.end(), size_t(n), b);
    }
    TrackBuilder() { Fill({{80, 0x4E}, {12, 0x00}, {3, 0xF6}, {1, 0xFC}, {50, 0x4E}}); }
    void Sector(uint8_t c, uint8_t h, uint8_t r, uint8_t n, int size, int zeros = 12) {
        Fill({{zeros, 0x00}, {3, 0xF5}});
        bytes.insert(bytes.end(), {0xFE, c, h, r, n, 0xF7});
        Fill({{22, 0x4E}});
        Data(size);
    }
    void Data(int size) {
        Fill({{12, 0x00}, {3, 0xF5}, {1, 0xFB}, {size, 0xE5}});
        ends.push_back(bytes.size());
        Fill({{1, 0xF7}, {54, 0x4E}});
    }
};

// The two floppy units.
struct FdcUnit {
    const char* name;
    uint8_t base; // command/status; track, sector, data follow
    int slot;     // m_pFdd index of the unit's drive 0
    int rawCell;  // m_io index of the raw interrupt flag
    uint8_t rawBit;
    uint8_t done, side; // completion register that acknowledges; side register
    int channel;        // DMA channel
    int trackLimit;     // bytes a WRITE TRACK takes
};
inline const FdcUnit kFdcUnits[] = {{"A", 0x18, 4, 0x103, 0x08, 0x1F, 0x1C, 0, 6400},
                                    {"B", 0x30, 0, 0x12C, 0x40, 0x37, 0x34, 1, 10900}};

class FdcTest : public ::testing::Test {
protected:
    static constexpr uint32_t kRow0Bytes = 327680; // 40 x 2 x 16 x 256

    FdcTest() { NewBoard(); }
    // A board fresh from a reset (the one before, if any, closes its images).
    void NewBoard() {
        m_board = std::make_unique<CMainCpu>();
        m_board->m_pView = &m_view;
        m_board->Reset();
    }

    uint8_t In(uint8_t reg) { return m_board->ReadIo(uint16_t(0xFD00 | reg)); }
    void Out(uint8_t reg, uint8_t v) { m_board->WriteIo(uint16_t(0xFD00 | reg), v); }
    // Track and sector register of the floppy unit at `base`, then its command register.
    void Command(uint8_t base, uint8_t track, uint8_t sector, uint8_t cmd) {
        Out(uint8_t(base + 1), track);
        Out(uint8_t(base + 2), sector);
        Out(base, cmd);
    }

    // Writes the file, opens it and gives it to the board at m_pFdd[slot].
    CFileFdd* AttachFloppy(int slot, const std::string& name, const Bytes& content,
                           CFile::OpenMode mode = CFile::modeReadWrite) {
        if (!std::filesystem::exists(m_dir / name)) WriteFile(m_dir / name, content);
        auto* fdd = new CFileFdd;
        EXPECT_TRUE(fdd->Open(m_dir / name, mode));
        m_board->m_pFdd[slot] = fdd;
        return fdd;
    }

    // Channel c moves count bytes at the 20-bit address; ctrl as $FD50 + c.
    void SetDma(int c, uint32_t address, int count, uint8_t ctrl) {
        Out(uint8_t(0x94 + c), uint8_t(address >> 16));
        Out(uint8_t(0x40 + 4 * c), uint8_t(address >> 8));
        Out(uint8_t(0x41 + 4 * c), uint8_t(address));
        Out(uint8_t(0x42 + 4 * c), uint8_t(count >> 8));
        Out(uint8_t(0x43 + 4 * c), uint8_t(count));
        Out(uint8_t(0x50 + c), ctrl);
    }
    uint16_t DmaAddress(int c) {
        return uint16_t(In(uint8_t(0x40 + 4 * c)) << 8 | In(uint8_t(0x41 + 4 * c)));
    }
    int DmaCount(int c) { return In(uint8_t(0x42 + 4 * c)) << 8 | In(uint8_t(0x43 + 4 * c)); }

    Bytes Ram(uint32_t at, size_t n) { return Bytes(m_board->m_ram + at, m_board->m_ram + at + n); }

    TempDir m_dir;
    FakeWnd m_view;
    std::unique_ptr<CMainCpu> m_board;
};
