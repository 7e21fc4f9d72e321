// The last-error value, one per thread as on Windows.
#include <windows.h>

namespace {
thread_local DWORD last_error = ERROR_SUCCESS;
}

DWORD WINAPI GetLastError(void) {
  return last_error;
}

void WINAPI SetLastError(DWORD dwErrCode) {
  last_error = dwErrCode;
}
