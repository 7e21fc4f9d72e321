// FragmentText: a policy half's registry records as the text of a REG fragment, as the registry
// editor writes one: its header line, a blank line, then each key as a section followed by its
// values and a blank line, in the records' order.
#pragma once

#include <string>
#include <vector>

#include "common/registry_record.h"

// The fragment's text, lines ended by CRLF, for keys below root_name (HKEY_LOCAL_MACHINE or
// HKEY_CURRENT_USER). The root key gets a section only when it holds values. A value or a key the
// import could not read back is left out with one printed line, "Error %d, unable to export
// value: %s" or "... key: %s" (a key's values go with it); *left_out is the status of the first
// such line, ERROR_SUCCESS when there is none. Raises std::bad_alloc.
WideText FragmentText(const std::vector<KeyRecord>& keys, const char* root_name, LSTATUS* left_out);

// "[root_name\path]", or "[root_name]" for the root itself: the section of a key.
WideText SectionName(const char* root_name, const WideText& path);

// text as UTF-16LE bytes behind a byte-order mark: the fragment file's contents.
std::string Utf16LeWithBom(const WideText& text);
