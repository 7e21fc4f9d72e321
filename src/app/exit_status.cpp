#include "exit_status.h"

int ExitStatusFor(HRESULT hr) {
#ifdef _WIN32
  return hr;
#else
  int low_byte = hr & 0xFF;
  return low_byte != 0 || hr == S_OK ? low_byte : 1;
#endif
}
