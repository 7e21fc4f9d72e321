// gPCMachineExtensionNames / gPCUserExtensionNames: "[{extension}{tool}...][...]", the client
// extensions a policy half uses and the tools that edited them, kept sorted for clients that
// stop at the first extension out of order.
#pragma once

#include <string>
#include <string_view>

#include <objbase.h>

// A GUID as 38 characters of upper-case text in braces.
std::string GuidToText(const GUID& guid);

// The attribute value with the pair added (or, when add is false, removed), in the form clients
// expect: groups sorted by extension GUID, tool GUIDs sorted inside a group, no duplicates
// (GUIDs compared without case, so a lower-case spelling from another writer merges), every
// GUID upper-case. Groups of other extensions are kept; a group whose last tool is removed is
// dropped. An existing value that is not a sequence of bracketed GUIDs is refused with
// HRESULT_FROM_WIN32(ERROR_INVALID_DATA) rather than rewritten, since what it meant cannot be
// kept. Blanks around the whole value are ignored; the empty value has no groups.
HRESULT MergeExtensionNames(std::string_view existing, const GUID& extension, const GUID& tool,
                            bool add, std::string* merged);
