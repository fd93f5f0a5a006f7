#include "cpu6309/sim09.h"

uint16_t CSim09::Disasm(char* text, uint16_t addr) { text[0] = 0; return addr; }
