// A policy's registry settings as records: each key with its values, names and data exactly as
// the registry holds them (names in UTF-16, string data in UTF-16LE).
#pragma once

#include <vector>

#include <windows.h>

#include "wide_text.h"

struct ValueRecord {
  WideText name;  // empty for the key's default value
  DWORD type;
  std::vector<BYTE> data;
};

struct KeyRecord {
  WideText path;  // below the half's root, levels joined by backslashes; empty for the root
  std::vector<ValueRecord> values;
};
