#include "z80/simz80.h"

uint8_t CSimZ80::ReadMem(uint16_t) { return 0; }
void CSimZ80::WriteMem(uint16_t, uint8_t) {}
void CSimZ80::Execute() {}
uint16_t CSimZ80::Disasm(char* text, uint16_t addr) { text[0] = 0; return addr; }
