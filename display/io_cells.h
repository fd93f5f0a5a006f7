// Cells of the main board's m_io that the display board reads and writes, and the
// display board's own I/O register addresses.
#pragma once

namespace io {
// Main board m_io indexes
constexpr int kFd02Latch = 0x002; // bit 7: keys go to the main board
constexpr int kFd04Latch = 0x004; // $80 after the main processor wrote $FD04
constexpr int kFd05Latch = 0x005; // bit 7 hold, bit 6 cancel
constexpr int kFd03Raw = 0x103;   // bit 6 key for the main board
constexpr int kFd05Raw = 0x105;   // bit 7 the display board's wait flag
constexpr int kShared = 0xC80;    // $FC80-$FCFF
constexpr int kFd00 = 0xD00;      // key code high byte
constexpr int kFd01 = 0xD01;      // key code low byte
constexpr int kFd03 = 0xD03;      // interrupt status 1
constexpr int kFd04 = 0xD04;      // bit 0 attention, bit 1 BREAK
constexpr int kFd05 = 0xD05;      // bit 7 display board busy
constexpr int kFd20 = 0xD20;      // $FD20-$FD22
constexpr int kFda0 = 0xDA0;      // layer redraw enables

// Display board registers
constexpr int kHandshake = 0xAFE0;
constexpr int kPlanes = 0xAFE1;
constexpr int kDisplay = 0xAFE2;
constexpr int kAccessBank = 0xAFE3;
constexpr int kFirqCause = 0xAFE4;
constexpr int kCancelAck = 0xAFE5;
constexpr int kToggle = 0xAFE6;
constexpr int kAttention = 0xAFE7;
constexpr int kAccessHigh = 0xAFE8;
constexpr int kAccessLow = 0xAFE9;
constexpr int kStartHigh = 0xAFEA;
constexpr int kStartLow = 0xAFEB;
constexpr int kKeyHigh = 0xAFEC;
constexpr int kKeyLow = 0xAFED;
constexpr int kCrtcIndex = 0xAFEE;
constexpr int kCrtcData = 0xAFEF;
constexpr int kToMain0 = 0xAFF0; // $AFF0-$AFF2
constexpr int kAttnLatch = 0xAFF3;
constexpr int kPortMode = 0xAFF4; // bit 7 clock mode; $8D latches the clock
constexpr int kKanjiSelect = 0xAFF5;
constexpr int kPortLeft = 0xAFF6;
constexpr int kPortRight = 0xAFF7;
} // namespace io
