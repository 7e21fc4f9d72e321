#include "policy/built_string.h"

#include <comdef.h>

UniqueBstr OwnBuiltString(BSTR built) {
  if (built == nullptr) throw _com_error(E_OUTOFMEMORY);
  return UniqueBstr(built);
}
