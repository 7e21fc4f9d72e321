// A file's path for the 8-bit file functions.
#pragma once

#include <string>

#include <objbase.h>

// The path in the ANSI code page, or an empty string with *error set to
// ERROR_NO_UNICODE_TRANSLATION when the code page cannot express it exactly (a substitute
// character would name another file). A null BSTR is the empty path.
std::string AnsiPath(BSTR path, DWORD* error);
