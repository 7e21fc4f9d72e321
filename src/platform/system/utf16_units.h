// The kinds of UTF-16 code unit: a surrogate pair is a high surrogate followed by a low one; a
// surrogate anywhere else stands for no character.
#pragma once

inline bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

inline bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

inline bool IsSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDFFF;
}
