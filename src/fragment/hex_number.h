// Reads the hexadecimal numbers of registry editor value text, as the C library's strtoul and
// strtol do in base 16: leading white space, one sign, an optional 0x prefix, then digits.
#pragma once

#include <windows.h>

// The number at text as an unsigned 32-bit value: a minus sign negates it modulo 2^32, a number
// too large for 32 bits gives 0xFFFFFFFF, text without digits gives 0.
DWORD ReadHexDword(const char* text);

// The number at text as a signed 32-bit value, saturated at 0x7FFFFFFF and at -0x80000000.
LONG ReadHexLong(const char* text);
