// ASCII text, which every ANSI code page and UTF-16 hold as the same characters: the test for
// it, ASCII case folding, and the blanks around the text of INI-style lines. Case folds only ASCII
// letters, as every name compared without case here (INI sections and keys, SMB file names,
// LDAP attribute names, codeset names) is ASCII or keeps its other bytes as they are.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Whether text is all ASCII, so converters and the registry may copy or widen it without a
// code-page conversion. Tested eight bytes at a time, as these checks run over every character
// of large files.

inline bool IsAsciiText(const void* text, size_t bytes, uint64_t high_bits) {
  const auto* p = static_cast<const unsigned char*>(text);
  uint64_t all = 0;
  size_t i = 0;
  for (; i + sizeof all <= bytes; i += sizeof all) {
    uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    all |= word;
  }
  // The tail, shifted into place so that it meets the same mask.
  uint64_t tail = 0;
  if (i < bytes) std::memcpy(&tail, p + i, bytes - i);  // text may be null when empty
  return ((all | tail) & high_bits) == 0;
}

// 8-bit text: no byte from 0x80 on.
inline bool IsAsciiText(const char* text, size_t length) {
  return IsAsciiText(text, length, 0x8080808080808080ull);
}

// UTF-16 text: no code unit from 0x80 on.
inline bool IsAsciiText(const char16_t* text, size_t length) {
  return IsAsciiText(text, length * sizeof(char16_t), 0xFF80FF80FF80FF80ull);
}

inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// text without the characters of set at either end: a view into text (an empty one at its end
// when nothing is left), so callers may take positions from it.
inline std::string_view TrimmedOf(std::string_view text, std::string_view set) {
  size_t first = text.find_first_not_of(set);
  if (first == std::string_view::npos) return text.substr(text.size());
  return text.substr(first, text.find_last_not_of(set) - first + 1);
}

// text without its blanks at either end.
inline std::string_view TrimBlanks(std::string_view text) {
  return TrimmedOf(text, " \t");
}
