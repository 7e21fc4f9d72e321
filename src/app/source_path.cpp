#include "source_path.h"

#include <string>

#include "common/bstr.h"
#include "common/hresult_error.h"

namespace {

// Windows paths use backslashes. On Linux a backslash is an ordinary file-name character and
// folders are separated by slashes.
#ifdef _WIN32
constexpr OLECHAR kPathSeparator = OLESTR('\\');
#else
constexpr OLECHAR kPathSeparator = OLESTR('/');
#endif

// The program's folder with its final separator, or null when the program path names none.
// Searching the converted text keeps a double-byte character's trail byte from matching.
BSTR ProgramFolder(const char* program_path) {
  UniqueBstr path(AnsiToBstr(program_path));
  for (UINT length = path.length(); length > 0; --length) {
    if (path.get()[length - 1] == kPathSeparator) return SysAllocStringLen(path.get(), length);
  }
  return nullptr;
}

// The whole current directory, however long. One that cannot be read is a failure rather than
// a reason to compose a path relative to nothing.
BSTR CurrentDirectory() {
  for (;;) {
    DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0) {
      DWORD error = GetLastError();
      throw HresultError{error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL};
    }
    std::string directory(size, '\0');
    DWORD length = GetCurrentDirectoryA(size, &directory[0]);
    // It may have changed between the two calls; then ask again.
    if (length != 0 && length < size) return AnsiToBstrOrThrow(directory.c_str());
  }
}

// The current directory followed by a separator (whatever the directory ends with).
BSTR CurrentDirectoryFolder() {
  UniqueBstr directory(CurrentDirectory());
  return JoinBstr(directory.get(), &kPathSeparator, 1);
}

}  // namespace

BSTR CompleteSourcePath(const char* program_path, BSTR source) {
  UniqueBstr folder(ProgramFolder(program_path));
  if (folder.get() == nullptr) folder.reset(CurrentDirectoryFolder());
  if (folder.get() == nullptr) return nullptr;
  return JoinBstr(folder.get(), source);
}
