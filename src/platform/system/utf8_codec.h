// UTF-8 to and from UTF-16, done natively because fragments can be hundreds of megabytes.
// Ill-formed input becomes U+FFFD (one per maximal ill-formed part, as Windows does) unless
// strict, where it stops the conversion.
#pragma once

#include "conversion_output.h"

ConversionStatus DecodeUtf8(const char* text, size_t length, bool strict,
                            ConversionOutput<char16_t>& out);

// A surrogate without its partner is ill-formed.
ConversionStatus EncodeUtf8(const char16_t* text, size_t length, bool strict,
                            ConversionOutput<char>& out);
