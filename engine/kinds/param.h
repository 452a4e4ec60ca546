// Parameter texts of the kinds: bounded copies and the decimal values inside them.
#pragma once

#include <cstdint>

namespace quendal {

// Copies at most `max` characters of text (null reads as empty) and terminates dest, which
// holds max + 1 characters.
void CopyParam(char* dest, const char* text, int max);

// Decimal value of text as the standard conversion reads it: blanks, an optional sign, then the
// leading digits; 0 when there are none. Reads no further than `max` characters or the end.
int32_t DecimalValue(const char* text, int max = 1 << 30);

// Number of a numbered kind checked against its range before it becomes an operand: a number
// outside 1..maximum fails the compile of the block with "fehlender Parameter".
uint8_t NumberOperand(int32_t handle, int32_t number, int32_t maximum);

} // namespace quendal
