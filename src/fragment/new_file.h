// NewFile: a file that appears whole or not at all under a name nobody holds yet. The contents
// are written to a temporary file in the same folder, which takes the name only when complete, so
// an interrupted run leaves no half file and an existing file is never replaced.
#pragma once

#include <string>

#include <objbase.h>

class NewFile {
 public:
  // Refuses a path that names an existing file or folder (ERROR_FILE_EXISTS) and creates the
  // temporary file beside it. Raises HresultError with HRESULT_FROM_WIN32 of the failure: the
  // folder's own error when it is missing (ERROR_PATH_NOT_FOUND) or cannot be written
  // (ERROR_ACCESS_DENIED ...).
  explicit NewFile(BSTR path);
  // Deletes the temporary file unless it has taken the name.
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Writes contents to the temporary file, flushes and closes it, and gives it the name without
  // replacing a file that took the name meanwhile (ERROR_FILE_EXISTS). Raises HresultError.
  void Commit(const std::string& contents);

 private:
  void CloseTemporary();

  std::string path_;
  std::string temporary_path_;
  HANDLE temporary_ = INVALID_HANDLE_VALUE;
  bool committed_ = false;
};
