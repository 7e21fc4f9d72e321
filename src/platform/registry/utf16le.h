// UTF-16 text as little-endian bytes: the form of string data in the hive and in Registry.pol.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

void AppendUtf16Le(std::u16string_view text, std::vector<BYTE>* bytes);

// The code units in size bytes; an odd last byte belongs to no code unit and is left out.
std::u16string ReadUtf16Le(const BYTE* bytes, size_t size);
