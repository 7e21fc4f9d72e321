// ParseEntry: turns one entry of a REG fragment section ("name"=value text, continuation lines
// already joined) into the value name, registry type and data bytes that a value write needs;
// ParseDeletion reads the editor's value deletion, "name"=-.
#pragma once

#include <windows.h>

// How the data ParseEntry gives are to be written: a quoted string's text is in the ANSI code
// page, for RegSetValueExA; every other value's bytes are the value's own (text lists in UTF-16LE),
// for RegSetValueExW.
enum class DataForm { AnsiText, AsStored };

// True when the entry was read. name (null for the key's default value) and data are then
// zero-filled LocalAlloc buffers that the caller releases with LocalFree. When it returns false
// nothing was allocated and the outputs keep the values the caller gave them. Memory that runs
// out throws std::bad_alloc.
bool ParseEntry(const char* entry, LPSTR* name, LPBYTE* data, DWORD* length, DWORD* type,
                DataForm* form);

// True when the entry deletes a value: a minus sign alone as its value text, blanks around it and
// a ';' comment after it allowed. *name is then read as ParseEntry reads it (null for the key's
// default value, "@=-"), a LocalAlloc buffer the caller releases with LocalFree; otherwise
// nothing is allocated and *name is left alone.
bool ParseDeletion(const char* entry, LPSTR* name);
