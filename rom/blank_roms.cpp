// Blank images until the firmware is built here.
#include "rom/roms.h"

const uint8_t g_bootRom[4096] = {};
const uint8_t g_displayRom[20480] = {};
const uint8_t g_fontRom[4096] = {};
const uint8_t g_kanjiRom[131072] = {};
