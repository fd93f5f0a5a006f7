// The memory seam's defaults: a processor without a board reads 0 and drops writes.
// Kept apart from the instruction code so that the compiler does not guess at them.
#include "cpu6309/sim09.h"

uint8_t CSim09::ReadByte(uint16_t) {
    return 0;
}
void CSim09::WriteByte(uint16_t, uint8_t) {}
