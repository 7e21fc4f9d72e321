// UTF-16 text as little-endian bytes: the form of string data in the hive and in Registry.pol.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

// Stores text at out, which has room for 2 * text.size() bytes; returns the end of what it stored.
// Inline, as Registry.pol is written a few short strings per record; the stores go through the
// local pointer, which they cannot alias, so the loop is vectorised.
inline BYTE* StoreUtf16Le(std::u16string_view text, BYTE* out) {
  for (char16_t unit : text) {
    *out++ = static_cast<BYTE>(unit & 0xFF);
    *out++ = static_cast<BYTE>(unit >> 8);
  }
  return out;
}

void AppendUtf16Le(std::u16string_view text, std::vector<BYTE>* bytes);

// The code units in size bytes; an odd last byte belongs to no code unit and is left out.
std::u16string ReadUtf16Le(const BYTE* bytes, size_t size);
