// Host keys to the machine's key codes. The view tracks Shift and Ctrl itself
// (m_nKeyMod, KEY_SHIFT / KEY_CTRL) from its own key messages and asks this table what a
// key-down pushes into the display board's key FIFO; keys not in the table push their
// typed text as CP932 bytes instead.
#pragma once

#include <cstdint>

// The key code a key-down of Qt key `qtKey` pushes with the modifier bits `keyMod`:
// kKeyTable when the key is the machine's special key and pushes nothing more,
// kKeyNone when it pushes nothing at all, kKeyText when its typed text (if any) is
// pushed. The code is returned in `code`.
enum KeyAction { kKeyText, kKeyTable, kKeyNone };
KeyAction MapKeyDown(int qtKey, uint32_t keyMod, uint16_t& code);
