// GetFileAttributesA, MoveFileExA and DeleteFileA.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <windows.h>

#include "system/guarded.h"
#include "system/win32_error_from_errno.h"

namespace {

BOOL FailWith(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Moves without replacing: refused with ERROR_ALREADY_EXISTS, as Windows refuses it, when the new
// name is taken. A file system that cannot rename so is given a link and an unlink, which refuse
// a taken name the same way.
int RenameWithoutReplacing(const char* from, const char* to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  if (link(from, to) != 0) return -1;
  return unlink(from);
}

}  // namespace

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  return GuardedLastError(INVALID_FILE_ATTRIBUTES, [&]() -> DWORD {
    struct stat status;
    if (!lpFileName || stat(lpFileName, &status) != 0) {
      SetLastError(lpFileName ? Win32ErrorFromErrno(errno) : ERROR_INVALID_PARAMETER);
      return INVALID_FILE_ATTRIBUTES;
    }
    return S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  });
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  if (!lpExistingFileName || !lpNewFileName) return FailWith(ERROR_INVALID_PARAMETER);
  return GuardedLastError(FALSE, [&] {
    int result = dwFlags & MOVEFILE_REPLACE_EXISTING
                     ? rename(lpExistingFileName, lpNewFileName)
                     : RenameWithoutReplacing(lpExistingFileName, lpNewFileName);
    return result == 0 ? TRUE : FailWith(Win32ErrorFromErrno(errno));
  });
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  if (!lpFileName) return FailWith(ERROR_INVALID_PARAMETER);
  return GuardedLastError(
      FALSE, [&] { return unlink(lpFileName) == 0 ? TRUE : FailWith(Win32ErrorFromErrno(errno)); });
}
