// Conversion between UTF-16 and a codeset iconv knows (GBK, Shift_JIS, CP1252 ...), treating
// what does not convert as Windows does.
#pragma once

#include "conversion_output.h"

// A byte sequence that is no character of the codeset becomes U+FFFD (one per byte) unless
// strict, where it stops the conversion.
ConversionStatus DecodeWithIconv(const char* codeset, const char* text, size_t length, bool strict,
                                 ConversionOutput<char16_t>& out);

// A character the codeset lacks becomes default_char (default_length bytes), and *used_default
// is set.
ConversionStatus EncodeWithIconv(const char* codeset, const char16_t* text, size_t length,
                                 const char* default_char, size_t default_length,
                                 bool* used_default, ConversionOutput<char>& out);
