#include "code_page_text.h"

#include <cstring>

#include <winnls.h>

#include "system/ascii_text.h"

CodePageText::CodePageText() = default;

CodePageText::CodePageText(const std::array<bool, 256>& lead_bytes) : lead_bytes_(lead_bytes) {
  for (bool lead : lead_bytes_) double_byte_ = double_byte_ || lead;
}

CodePageText CodePageText::ForCodePage(UINT code_page) {
  if (code_page == CP_UTF8) return CodePageText();
  std::array<bool, 256> lead_bytes{};
  for (int byte = 0x80; byte < 0x100; ++byte) {
    lead_bytes[byte] = IsDBCSLeadByteEx(code_page, static_cast<BYTE>(byte)) != FALSE;
  }
  return CodePageText(lead_bytes);
}

const char* CodePageText::Find(const char* begin, const char* end, char c) const {
  if (begin == end) return end;
  if (!double_byte_) {
    auto found = static_cast<const char*>(std::memchr(begin, c, end - begin));
    return found != nullptr ? found : end;
  }
  const char* p = begin;
  while (p < end && *p != c) p += CharLength(p, end);
  return p;
}

const char* CodePageText::FindUnescaped(const char* begin, const char* end, char c) const {
  const char* p = begin;
  while (p < end && *p != c) {
    size_t length =
        *p == '\\' ? 1 + (end - p > 1 ? CharLength(p + 1, end) : 0) : CharLength(p, end);
    p += length;
  }
  return p;
}

// FNV-1a over the folded bytes; trail bytes of double-byte characters are hashed as they are.
uint64_t CodePageText::HashIgnoringCase(std::string_view text) const {
  uint64_t hash = 0xcbf29ce484222325u;
  const char* end = text.data() + text.size();
  for (const char* p = text.data(); p < end;) {
    size_t length = CharLength(p, end);
    hash = (hash ^ static_cast<unsigned char>(AsciiLower(*p))) * 0x100000001b3u;
    if (length == 2) hash = (hash ^ static_cast<unsigned char>(p[1])) * 0x100000001b3u;
    p += length;
  }
  return hash;
}

// Folding keeps every lead byte, so equal folded characters have equal lengths and the two
// texts stay on the same character boundaries.
bool CodePageText::EqualIgnoringCase(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  const char* end = a.data() + a.size();
  for (const char *p = a.data(), *q = b.data(); p < end;) {
    size_t length = CharLength(p, end);
    if (AsciiLower(*p) != AsciiLower(*q)) return false;
    if (length == 2 && p[1] != q[1]) return false;
    p += length;
    q += length;
  }
  return true;
}
