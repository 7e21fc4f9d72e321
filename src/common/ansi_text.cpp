#include "ansi_text.h"

#include <cstdint>
#include <cstring>

#include <windows.h>

namespace {

bool IsUtf8Continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

size_t Utf8SequenceLength(const unsigned char* text) {
  unsigned char lead = text[0];
  size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
  if (lead >= 0xF5) length = 1;
  for (size_t i = 1; i < length; ++i) {
    if (!IsUtf8Continuation(text[i])) return 1;
  }
  return length;
}

// In UTF-8 and single-byte code pages no byte of a multibyte character is below 0x80, so a
// plain byte search never matches inside a character.
bool NeedsCharacterWalk() {
  return GetACP() != CP_UTF8 && IsDBCSLeadByte(0x81);
}

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

size_t AnsiCharLength(const char* text) {
  auto bytes = reinterpret_cast<const unsigned char*>(text);
  if (bytes[0] < 0x80) return 1;
  if (GetACP() == CP_UTF8) return Utf8SequenceLength(bytes);
  return IsDBCSLeadByte(bytes[0]) && bytes[1] != 0 ? 2 : 1;
}

// Leading ASCII bytes are single characters in every code page, so a separator in ASCII text is
// found without looking up the code page (this runs once per item of a value's byte list).
const char* FindAnsiChar(const char* text, char c) {
  const char* p = text;
  for (; static_cast<unsigned char>(*p) < 0x80; ++p) {
    if (*p == c) return p;
    if (*p == '\0') return nullptr;
  }
  if (!NeedsCharacterWalk()) return std::strchr(p, c);
  for (;; p += AnsiCharLength(p)) {
    if (*p == c) return p;
    if (*p == '\0') return nullptr;
  }
}

const char* FindLastAnsiChar(const char* text, char c) {
  if (!NeedsCharacterWalk()) return std::strrchr(text, c);
  const char* last = nullptr;
  for (const char* p = text; *p != '\0'; p += AnsiCharLength(p)) {
    if (*p == c) last = p;
  }
  return last;
}

bool IsAsciiText(const char* text, size_t length) {
  uint64_t all = 0;
  size_t i = 0;
  for (; i + sizeof all <= length; i += sizeof all) {
    uint64_t word;
    std::memcpy(&word, text + i, sizeof word);
    all |= word;
  }
  for (; i < length; ++i) all |= static_cast<unsigned char>(text[i]);
  return (all & 0x8080808080808080) == 0;
}

const char* FindAnsiText(const char* text, const char* needle) {
  if (!NeedsCharacterWalk()) return std::strstr(text, needle);
  size_t needle_length = std::strlen(needle);
  for (const char* p = text; *p != '\0'; p += AnsiCharLength(p)) {
    if (std::strncmp(p, needle, needle_length) == 0) return p;
  }
  return needle_length == 0 ? text : nullptr;
}

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
  while (*a != '\0' && *b != '\0') {
    size_t length = AnsiCharLength(a);
    if (length != AnsiCharLength(b)) return false;
    if (length == 1 ? FoldAscii(*a) != FoldAscii(*b) : std::memcmp(a, b, length) != 0) return false;
    a += length;
    b += length;
  }
  return *a == *b;
}
