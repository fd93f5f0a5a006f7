// Key codes: the 16-bit words the view pushes into the display board's key FIFO.
// 0x00-0xFF a character byte (CP932); with KEY_SPECIAL a key number (F1-F12 0x01-0x0C,
// Insert 0x10, Page Up 0x11, End 0x12, Page Down 0x13, Delete 0x14, Home 0x15,
// Up 0x16, Down 0x17, Left 0x18, Right 0x19), plus KEY_SHIFT / KEY_CTRL while held;
// KEY_BREAK is the only code with bit 9.
#pragma once

#include <cstdint>

enum : uint16_t {
    KEY_SHIFT = 0x020,
    KEY_CTRL = 0x040,
    KEY_SPECIAL = 0x100,
    KEY_BREAK_BIT = 0x200,
    KEY_BREAK = 0x201,
};
