// Text in UTF-16, as the registry's wide functions and a Unicode fragment hold it.
#pragma once

#include <string>

#include <windows.h>

using WideText = std::basic_string<WCHAR>;

// Appends ASCII text, each byte one code unit.
inline void AppendAscii(const char* text, WideText* out) {
  for (; *text != '\0'; ++text) out->push_back(static_cast<WCHAR>(*text));
}
