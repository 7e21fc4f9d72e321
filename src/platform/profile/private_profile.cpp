// GetPrivateProfileSectionNamesA and GetPrivateProfileSectionA over the cached parsed file.
// Unlike Windows, a relative path is taken from the current directory (there is no Windows
// directory), a missing file name does not fall back to win.ini, and no 32,767-byte limit applies.
#include <string_view>

#include <winbase.h>

#include "multi_string_writer.h"
#include "profile_cache.h"
#include "system/guarded.h"

namespace {

// Windows leaves the buffer's second byte alone when it has nothing to give.
DWORD FailWith(DWORD error, char* buffer, DWORD size) {
  if (buffer != nullptr && size > 0) buffer[0] = '\0';
  SetLastError(error);
  return 0;
}

// A complete answer clears the last error; a cut one sets ERROR_MORE_DATA, which tells a
// truncated list from an exact fit (both return size - 2). Windows does not promise this code.
DWORD Finish(MultiStringWriter& writer) {
  DWORD stored = writer.Finish();
  SetLastError(writer.truncated() ? ERROR_MORE_DATA : ERROR_SUCCESS);
  return stored;
}

// Writes what write_out takes from the file's parse into the buffer, with every failure (out of
// memory too) reported as the profile functions report it.
template <typename WriteOut>
DWORD AnswerFromProfile(LPCSTR file_name, char* buffer, DWORD size, WriteOut write_out) {
  return Guarded([&] { return FailWith(ERROR_NOT_ENOUGH_MEMORY, buffer, size); },
                 [&] {
                   DWORD error = ERROR_SUCCESS;
                   auto profile = LoadProfile(file_name, &error);
                   if (!profile) return FailWith(error, buffer, size);
                   MultiStringWriter writer(buffer, size);
                   write_out(*profile, writer);
                   return Finish(writer);
                 });
}

}  // namespace

DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize,
                                            LPCSTR lpFileName) {
  if (lpszReturnBuffer == nullptr) return FailWith(ERROR_INVALID_PARAMETER, nullptr, 0);
  if (lpFileName == nullptr) return FailWith(ERROR_FILE_NOT_FOUND, lpszReturnBuffer, nSize);
  return AnswerFromProfile(lpFileName, lpszReturnBuffer, nSize,
                           [](const auto& profile, MultiStringWriter& writer) {
                             writer.Append(profile.section_names());
                           });
}

DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize,
                                       LPCSTR lpFileName) {
  if (lpReturnedString == nullptr) return FailWith(ERROR_INVALID_PARAMETER, nullptr, 0);
  if (lpAppName == nullptr) return FailWith(ERROR_INVALID_PARAMETER, lpReturnedString, nSize);
  if (lpFileName == nullptr) return FailWith(ERROR_FILE_NOT_FOUND, lpReturnedString, nSize);
  return AnswerFromProfile(lpFileName, lpReturnedString, nSize,
                           [&](const auto& profile, MultiStringWriter& writer) {
                             for (std::string_view piece : profile.SectionLines(lpAppName)) {
                               writer.Append(piece);
                             }
                           });
}
