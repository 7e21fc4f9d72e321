// Multibyte-aware handling of 8-bit text in the system's ANSI code page: a trail byte of a
// double-byte character, or a byte inside a UTF-8 sequence, never matches a separator.
#pragma once

#include <cstddef>

// Number of bytes of the character that starts at text (1 for NUL and for a broken sequence).
size_t AnsiCharLength(const char* text);

// The first occurrence of the single-byte character c in text, or null.
const char* FindAnsiChar(const char* text, char c);

// The last occurrence of the single-byte character c in text, or null.
const char* FindLastAnsiChar(const char* text, char c);

// The first occurrence of needle in text that starts on a character boundary, or null.
const char* FindAnsiText(const char* text, const char* needle);

// Whether text holds only ASCII bytes, which every code page reads as the same characters.
// Tested eight bytes at a time: most entries are ASCII, and all of their text is tested.
bool IsAsciiText(const char* text, size_t length);

// True when a and b are the same text, ASCII letters compared without regard to case.
bool EqualsIgnoringAsciiCase(const char* a, const char* b);
