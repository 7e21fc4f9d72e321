// OwnBuiltString: takes ownership of a BSTR the lookup just built, treating null as the out-of-
// memory failure it is.
#pragma once

#include "common/bstr.h"

// Raises a _com_error with E_OUTOFMEMORY when built is null.
UniqueBstr OwnBuiltString(BSTR built);
