// Case-insensitive comparison of registry key and value names, independent of the locale.
#pragma once

#include <string>
#include <string_view>

// The simple upper-case mapping of one UTF-16 code unit (Unicode's single-character mapping) for
// ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the full-width Latin letters; every other
// code unit maps to itself. Two names are the same name when their upper-cased forms are equal.
char16_t UpcaseNameChar(char16_t c);

// The name with every code unit upper-cased: the form names are compared and ordered by.
std::u16string UpcaseName(std::u16string_view name);

// Whether a and b are the same name: UpcaseName(a) == UpcaseName(b), without building either.
bool SameName(std::u16string_view a, std::u16string_view b);
