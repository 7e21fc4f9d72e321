#include "import_run.h"

#include "common/hresult_error.h"

// Not built yet: a run must fail visibly rather than report an import that did not happen.
void ImportFragment(BSTR, BSTR, PolicyScope) {
  throw HresultError{E_NOTIMPL};
}
