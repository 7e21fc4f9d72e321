// Comparison of names that Windows treats without regard to case (INI sections and keys, SMB
// file names); only ASCII letters fold, as every name compared here is ASCII.
#pragma once

#include <algorithm>
#include <string_view>

inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}
