// CSubCpu: the display board. The display HD6309 with graphic and text video memory,
// RAM, the window onto the main board's shared RAM, the I/O page, the display ROM,
// the key FIFO and the three 640x400 drawing layers.
#pragma once

#include <cstdint>

#include "cpu6309/sim09.h"
#include "platform/surface.h"

class CSubCpu : public CSim09 {
public:
    CSubCpu();
    ~CSubCpu() override;

    uint8_t ReadByte(uint16_t addr) override;
    void WriteByte(uint16_t addr, uint8_t value) override;
    void Reset();
    void Step();
    void PushKey(uint16_t code);
    void PopKey();

    uint8_t* m_pMainIo = nullptr;
    uint8_t* m_pPal = nullptr;
    int m_bGraphDirty = 0;
    CRect m_rcGraphDirty;
    int m_bTick = 0;
};
