// ValueEntry: the fragment's text for one registry value, in the registry editor's syntax and in
// the most readable form that the tool's own import reads back to the same name, type and data:
// "name"="text", "name"=dword:0000002a, "name"=hex:.. or hex(N):.. wrapped as the editor wraps,
// @= for the key's default value, and "name"=- for a delete record.
#pragma once

#include <cstddef>

#include <windows.h>

#include "common/registry_record.h"

// Sets *entry to the value's lines, joined by CRLF, without a line end after the last. Returns
// ERROR_SUCCESS, or, leaving *entry alone, the reason the import could not read the value back:
// ERROR_INVALID_NAME for a name it would cut or misread (one holding '=', a line break or a lone
// surrogate), ERROR_INVALID_DATA for data it would store otherwise (a number of another size than
// its type's, a string type's empty data). Raises std::bad_alloc.
LSTATUS ValueEntry(const ValueRecord& value, WideText* entry);

// A value as a listing shows it, for any value, also one ValueEntry refuses: its name as the
// entry's (@ for the default value, the value's own name for a delete record) and its data in the
// entry's syntax on one line ("-" for a delete record), cut after most_shown characters and
// followed by "... (N bytes)" when that makes it shorter. Raise std::bad_alloc.
WideText ValueNameText(const ValueRecord& value);
WideText ValueDataText(const ValueRecord& value, size_t most_shown);

// Whether text is well-formed UTF-16, which a fragment's reader can decode: no lone surrogate.
bool IsWellFormedUtf16(const WideText& text);
