// CreateFileA, WriteFile, FlushFileBuffers and CloseHandle for files written from start to end.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <windows.h>

#include "system/guarded.h"
#include "system/win32_error_from_errno.h"

namespace {

// What a file HANDLE stands for; the only handles the platform hands out.
struct FileHandle {
  int descriptor;
};

FileHandle* FromHandle(HANDLE handle) {
  return handle == nullptr || handle == INVALID_HANDLE_VALUE ? nullptr
                                                             : static_cast<FileHandle*>(handle);
}

BOOL FailWith(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// A file created in a folder that is missing is a path not found on Windows, where the C
// library sees a missing file.
DWORD CreationError(int error) {
  return error == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(error);
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                          LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                          DWORD dwCreationDisposition, DWORD /*dwFlagsAndAttributes*/,
                          HANDLE /*hTemplateFile*/) {
  // Only new files for writing: the sole use the tool has.
  bool create_new = dwCreationDisposition == CREATE_NEW;
  if (!lpFileName || dwDesiredAccess != GENERIC_WRITE ||
      (!create_new && dwCreationDisposition != CREATE_ALWAYS)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (*lpFileName == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  // The handle is made before the file, so a handle that cannot be had leaves no file behind.
  auto* file =
      GuardedLastError(static_cast<FileHandle*>(nullptr), [] { return new FileHandle{-1}; });
  if (file == nullptr) return INVALID_HANDLE_VALUE;
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (create_new ? O_EXCL : O_TRUNC);
  file->descriptor = open(lpFileName, flags, 0666);
  if (file->descriptor < 0) {
    // CREATE_NEW on a file that exists is ERROR_FILE_EXISTS, not the ERROR_ALREADY_EXISTS of
    // other creations.
    SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : CreationError(errno));
    delete file;
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED /*lpOverlapped*/) {
  FileHandle* file = FromHandle(hFile);
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  if (!file) return FailWith(ERROR_INVALID_HANDLE);
  return GuardedLastError(FALSE, [&] {
    const char* next = static_cast<const char*>(lpBuffer);
    DWORD left = nNumberOfBytesToWrite;
    while (left > 0) {
      ssize_t written = write(file->descriptor, next, left);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return FailWith(written < 0 ? Win32ErrorFromErrno(errno) : ERROR_DISK_FULL);
      next += written;
      left -= static_cast<DWORD>(written);
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten += static_cast<DWORD>(written);
    }
    return TRUE;
  });
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
  FileHandle* file = FromHandle(hFile);
  if (!file) return FailWith(ERROR_INVALID_HANDLE);
  return GuardedLastError(FALSE, [&] {
    return fsync(file->descriptor) == 0 ? TRUE : FailWith(Win32ErrorFromErrno(errno));
  });
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  FileHandle* file = FromHandle(hObject);
  if (!file) return FailWith(ERROR_INVALID_HANDLE);
  return GuardedLastError(FALSE, [&] {
    int result = close(file->descriptor);
    int error = errno;
    delete file;
    // The descriptor is gone either way; a failure still tells that written data may be lost.
    return result == 0 ? TRUE : FailWith(Win32ErrorFromErrno(error));
  });
}
