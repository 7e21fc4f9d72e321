// Case-insensitive comparison of registry key and value names, independent of the locale.
#pragma once

#include <string>
#include <string_view>

// UpcaseNameChar for code units beyond ASCII.
char16_t UpcaseNonAsciiNameChar(char16_t c);

// The simple upper-case mapping of one UTF-16 code unit (Unicode's single-character mapping) for
// ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the full-width Latin letters; every other
// code unit maps to itself. Two names are the same name when their upper-cased forms are equal.
// ASCII, which most names are, is mapped here without a call.
inline char16_t UpcaseNameChar(char16_t c) {
  if (c >= 0x80) return UpcaseNonAsciiNameChar(c);
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

// The name with every code unit upper-cased: the form names are compared and ordered by.
std::u16string UpcaseName(std::u16string_view name);

// Whether a and b are the same name: UpcaseName(a) == UpcaseName(b), building neither.
bool SameName(std::u16string_view a, std::u16string_view b);

// The order of UpcaseName(a) against UpcaseName(b), negative, zero or positive, building neither.
int CompareNames(std::u16string_view a, std::u16string_view b);

// Orders a map by names compared without case, as CompareNames orders them.
struct NameLess {
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    return CompareNames(a, b) < 0;
  }
};
