// Blank program images until the firmware is assembled here.
#include "rom/roms.h"

const uint8_t g_bootRom[4096] = {};
const uint8_t g_displayRom[20480] = {};
