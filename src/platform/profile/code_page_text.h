// Byte searches and case-blind comparisons of ANSI text that never match inside a double-byte
// character (in GBK or Shift_JIS a trail byte can be ']' or an ASCII letter).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <windef.h>

class CodePageText {
 public:
  // Text without double-byte characters: single-byte code pages and UTF-8, whose multibyte
  // sequences use only bytes above 0x7F.
  CodePageText();
  // Text whose double-byte characters start with the bytes marked in lead_bytes.
  explicit CodePageText(const std::array<bool, 256>& lead_bytes);

  static CodePageText ForCodePage(UINT code_page);

  // The first single-byte character c in [begin, end), or end.
  const char* Find(const char* begin, const char* end, char c) const;
  // The first c in [begin, end) not escaped by a backslash before it, or end.
  const char* FindUnescaped(const char* begin, const char* end, char c) const;

  // A hash and an equality that ignore the case of ASCII letters.
  uint64_t HashIgnoringCase(std::string_view text) const;
  bool EqualIgnoringCase(std::string_view a, std::string_view b) const;

 private:
  size_t CharLength(const char* p, const char* end) const {
    return lead_bytes_[static_cast<unsigned char>(*p)] && end - p > 1 ? 2 : 1;
  }

  std::array<bool, 256> lead_bytes_{};
  bool double_byte_ = false;
};
