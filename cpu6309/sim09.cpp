#include "cpu6309/sim09.h"

CSim09::CSim09() {}
uint8_t CSim09::ReadByte(uint16_t) { return 0; }
void CSim09::WriteByte(uint16_t, uint8_t) {}
void CSim09::Execute() {}
void CSim09::Irq() {}
void CSim09::Firq() {}
void CSim09::Nmi() {}
uint16_t CSim09::GetIndexedAddress() { return 0; }
