// The directory search filter that finds the group policy container of one display name.
#pragma once

#include "common/bstr.h"

// "(&(objectClass=groupPolicyContainer)(displayName=<name>))", with the characters that carry
// meaning in a filter value (* ( ) \ and NUL) escaped as RFC 4515 requires, so the filter matches
// exactly that name and nothing else. A null name is the empty name. Raises a _com_error with
// E_OUTOFMEMORY when the string cannot be allocated.
UniqueBstr PolicySearchFilter(BSTR display_name);
