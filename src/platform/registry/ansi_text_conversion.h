// Text crossing the Reg*A functions: ANSI code page on the caller's side, UTF-16 in the hive.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <windows.h>

// size bytes of ANSI text, NULs included, as UTF-16 (MultiByteToWideChar with CP_ACP, as Windows'
// A functions convert). ERROR_NO_UNICODE_TRANSLATION for bytes that are not text in the code page,
// where Windows would store U+FFFD. A null name is the empty name.
LSTATUS AnsiToUtf16(const char* text, size_t size, std::u16string* converted);
LSTATUS AnsiNameToUtf16(const char* name, std::u16string* converted);

// UTF-16 text, NULs included, in the ANSI code page (WideCharToMultiByte with CP_ACP).
LSTATUS Utf16ToAnsi(std::u16string_view text, std::string* converted);
