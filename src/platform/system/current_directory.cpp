// GetCurrentDirectoryA with Windows' return values: the length on success, the size needed
// (terminator included) when the buffer is too small, 0 and the last error on failure.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <windows.h>

#include "win32_error_from_errno.h"

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  char* directory = getcwd(nullptr, 0);
  if (directory == nullptr) {
    SetLastError(Win32ErrorFromErrno(errno));
    return 0;
  }
  size_t length = std::strlen(directory);
  DWORD result;
  if (lpBuffer == nullptr || nBufferLength < length + 1) {
    result = static_cast<DWORD>(length + 1);
  } else {
    std::memcpy(lpBuffer, directory, length + 1);
    result = static_cast<DWORD>(length);
  }
  std::free(directory);
  return result;
}
