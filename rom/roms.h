// The machine's built-in images: boot ROM, display ROM, character font and kanji ROM.
// The boards default to these; tests may point a board at images of their own.
#pragma once

#include <cstdint>

extern const uint8_t g_bootRom[4096];     // main board, $5000-$5FFF
extern const uint8_t g_displayRom[20480]; // display board, $B000-$FFFF
extern const uint8_t g_fontRom[4096];     // 256 glyphs x 16 rows
extern const uint8_t g_kanjiRom[131072];  // 4096 glyphs x 32 bytes
