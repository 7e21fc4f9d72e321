// Reads the hexadecimal numbers of registry editor value text, as the C library's strtoul and
// strtol do in base 16: leading white space, one sign, an optional 0x prefix, then digits.
#pragma once

#include <array>

#include <windows.h>

// The number at text as an unsigned 32-bit value: a minus sign negates it modulo 2^32, a number
// too large for 32 bits gives 0xFFFFFFFF, text without digits gives 0.
DWORD ReadHexDword(const char* text);

// The number at text as a signed 32-bit value, saturated at 0x7FFFFFFF and at -0x80000000.
LONG ReadHexLong(const char* text);

// The value of each byte as a hexadecimal digit, -1 for a byte that is none.
extern const std::array<signed char, 256> kHexDigitValues;

inline int HexDigitValue(char c) {
  return kHexDigitValues[static_cast<unsigned char>(c)];
}

// Reads an item written as the editor writes list items, two hex digits then a comma or the end
// of the text, into *byte; false, leaving *byte alone, for any other item. Such an item reads as
// ReadHexLong reads it.
inline bool ReadTwoDigitItem(const char* text, BYTE* byte) {
  int high = HexDigitValue(text[0]);
  int low = high >= 0 ? HexDigitValue(text[1]) : -1;
  if (low < 0 || (text[2] != ',' && text[2] != '\0')) return false;
  *byte = static_cast<BYTE>(high << 4 | low);
  return true;
}
