#include <share.h>

#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

#include <windows.h>

#include "system/win32_error_from_errno.h"

namespace {

FILE* Fail(int error, DWORD win32_error) {
  errno = error;
  SetLastError(win32_error);
  return nullptr;
}

int LockFor(int shflag) {
  switch (shflag) {
    case _SH_DENYRW:
      return LOCK_EX;
    case _SH_DENYWR:
      return LOCK_SH;
    default:
      return 0;
  }
}

}  // namespace

FILE* _fsopen(const char* filename, const char* mode, int shflag) {
  // Windows reports an empty name as a path not found, where fopen sees a missing file.
  if (filename[0] == '\0') return Fail(ENOENT, ERROR_PATH_NOT_FOUND);
  // Opening a FIFO would wait for a writer, for ever if none comes; Windows has no such file to
  // open as a stream, so it is refused as a folder is.
  struct stat named;
  if (stat(filename, &named) == 0 && S_ISFIFO(named.st_mode)) {
    return Fail(EACCES, ERROR_ACCESS_DENIED);
  }
  FILE* stream = std::fopen(filename, mode);
  if (stream == nullptr) return Fail(errno, Win32ErrorFromErrno(errno));
  struct stat status;
  if (fstat(fileno(stream), &status) == 0 && S_ISDIR(status.st_mode)) {
    // Windows opens no folder as a file stream.
    std::fclose(stream);
    return Fail(EACCES, ERROR_ACCESS_DENIED);
  }
  int lock = LockFor(shflag);
  // A file system without locks (ENOLCK, EOPNOTSUPP) still gives the stream, unshared.
  if (lock != 0 && flock(fileno(stream), lock | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    std::fclose(stream);
    return Fail(EACCES, ERROR_SHARING_VIOLATION);
  }
  return stream;
}
