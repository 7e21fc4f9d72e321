// Whether text is all ASCII, which every ANSI code page and UTF-16 hold as the same characters,
// so converters and the registry may copy or widen it without a code-page conversion. The text
// is tested eight bytes at a time, as these checks run over every character of large files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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
