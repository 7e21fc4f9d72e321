// Reading a key path: the backslash-separated key names below a key, with Windows' rules.
#pragma once

#include <string_view>
#include <vector>

#include <windows.h>

using KeyNames = std::vector<std::u16string_view>;

// Splits path into the names of its levels, views into path. An empty path names the key itself.
// As on Windows, trailing backslashes are ignored; a leading backslash gives ERROR_BAD_PATHNAME;
// an empty name between two backslashes, or a name longer than kMaxKeyNameLength, gives
// ERROR_INVALID_PARAMETER.
LSTATUS SplitKeyPath(std::u16string_view path, KeyNames* names);
