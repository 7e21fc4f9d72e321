// ImportEntries: writes the entries of one REG fragment section as values of an open registry
// key, joining continuation lines and printing one line for each entry it cannot parse or write.
#pragma once

#include <windows.h>

// lines: consecutive NUL-terminated lines ended by an empty one, as the profile reader returns a
// section. key stays owned by the caller. Raises std::bad_alloc when memory runs out, in the
// reader or in a value's write.
void ImportEntries(const char* lines, HKEY key);
