// DmaChannel: one DMA channel's address, count and direction, loaded from its registers
// for a transfer and stored back when the transfer ends (dma.cpp). Shared by the DMA
// byte mover and the floppy units' WRITE TRACK, which reads its track through a channel.
#pragma once

#include <cstdint>

class CMainCpu;

// Register addresses (low byte of $FDxx).
inline constexpr int kDmaAddr = 0x40; // + 4c: address high, low; count high, low
inline constexpr int kDmaCtrl = 0x50; // + c
inline constexpr int kDmaIrq = 0x55;
inline constexpr int kDmaAck = 0x57;
inline constexpr int kDmaBank = 0x94; // + c

struct DmaChannel {
    int m_nChannel = 0;
    uint32_t m_nAddress = 0; // 20 bits
    int m_nCount = 0;
    uint32_t m_nStep = 1; // +1, or -1 within 20 bits

    static DmaChannel Load(CMainCpu& board, int c);
    // Writes the low 16 address bits and the count back, sets the done bit and, when
    // the channel's interrupt is enabled, the pending DMA interrupt (no recomputation).
    void Store(CMainCpu& board) const;
    void Advance() { m_nAddress = (m_nAddress + m_nStep) & 0xFFFFF; }
};
