// Bounded text formatting and number scanning for the library's fixed buffers.
// The library's only formatter: it keeps the C runtime's printf family out of
// the DLL, and never writes past the buffer it is given.
#pragma once
#include <cstddef>

// Formats into buffer (size bytes, the terminating zero included) and returns
// the number of characters written. Output that does not fit is cut; the buffer
// always ends with a zero (nothing is written when size is 0).
// Conversions: %d %i (int), %u %x %X (unsigned), %s (const char*, null: empty),
// %c (int), %%; flags '-' and '0' and a decimal width; a 'l' modifier is
// accepted and ignored (int and long are the same size here).
int FormatText(char* buffer, size_t size, const char* format, ...);

// Reads a decimal number the way "%d" scans one: leading blanks, an optional
// sign, then at least one digit. Values beyond the int range saturate.
// Returns false, leaving *value alone, when no digit follows.
bool ScanDecimal(const char* text, int* value);
