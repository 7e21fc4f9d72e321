// The size limits of the registry: Windows' own, and the one Registry.pol adds for value data.
#pragma once

#include <cstddef>

// Characters (UTF-16 code units) in one key name, one level of a path.
constexpr size_t kMaxKeyNameLength = 255;
// Characters (UTF-16 code units) in a value name.
constexpr size_t kMaxValueNameLength = 16383;
// Levels of keys below a hive's root.
constexpr size_t kMaxKeyDepth = 512;
// Bytes of one value's data as stored: a Registry.pol record cannot describe more.
constexpr size_t kMaxValueDataSize = 65535;
