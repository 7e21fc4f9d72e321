// GetComputerNameA: the host name up to its first dot, with Windows' rules for the in/out size.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include <windows.h>

#include "win32_error_from_errno.h"

BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
  if (nSize == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) != 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return FALSE;
  }
  size_t length = std::strcspn(host, ".");
  // Too small (or no buffer): the size needed, terminator included, and nothing written.
  if (lpBuffer == nullptr || *nSize < length + 1) {
    *nSize = static_cast<DWORD>(length + 1);
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(lpBuffer, host, length);
  lpBuffer[length] = '\0';
  *nSize = static_cast<DWORD>(length);
  return TRUE;
}
