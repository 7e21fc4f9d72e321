// Writes REG fragments of a chosen size that look like the registry editor's exports: many keys
// in groups, each with a few values of all six syntaxes, binary lists wrapped over several lines.
#pragma once

#include <string>

enum class FragmentEncoding { Ansi, Utf16Le };

const char* EncodingName(FragmentEncoding encoding);

// What a generated fragment holds, for checking that an import got to its end.
struct GeneratedFragment {
  long long sections = 0;  // 0 when the file could not be written
  // The last section's key below HKEY_LOCAL_MACHINE; its "Index" value is sections - 1.
  std::string last_key;
};

// Writes at least `bytes` bytes to path: UTF-16LE with a byte-order mark and the version 5 header,
// or 8-bit text (UTF-8, the code page of a UTF-8 locale) with the REGEDIT4 header.
GeneratedFragment GenerateFragment(const std::string& path, FragmentEncoding encoding,
                                   long long bytes);
