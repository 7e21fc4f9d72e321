#include "new_file.h"

#include <algorithm>

#include "ansi_path.h"
#include "common/hresult_error.h"

namespace {

// Temporary names tried before giving up: each is taken only if nobody holds it, and one left by
// an interrupted run is passed over.
constexpr int kTemporaryNames = 100;

[[noreturn]] void ThrowWin32(DWORD error) {
  throw HresultError{HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE)};
}

// A name that exists already: the registry editor's files are never overwritten.
DWORD TakenNameError(DWORD error) {
  return error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error;
}

}  // namespace

NewFile::NewFile(BSTR path) {
  DWORD error = ERROR_SUCCESS;
  path_ = AnsiPath(path, &error);
  if (error != ERROR_SUCCESS) ThrowWin32(error);
  if (GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES) ThrowWin32(ERROR_FILE_EXISTS);
  for (int attempt = 1; attempt <= kTemporaryNames; ++attempt) {
    temporary_path_ = path_ + ".regweave-" + std::to_string(attempt) + ".tmp";
    temporary_ = CreateFileA(temporary_path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (temporary_ != INVALID_HANDLE_VALUE) return;
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  temporary_path_.clear();
  ThrowWin32(error);
}

NewFile::~NewFile() {
  CloseTemporary();
  if (!committed_ && !temporary_path_.empty()) DeleteFileA(temporary_path_.c_str());
}

void NewFile::CloseTemporary() {
  if (temporary_ != INVALID_HANDLE_VALUE) CloseHandle(temporary_);
  temporary_ = INVALID_HANDLE_VALUE;
}

void NewFile::Commit(const std::string& contents) {
  constexpr size_t kLargestWrite = 1 << 20;
  for (size_t done = 0; done < contents.size();) {
    auto part = static_cast<DWORD>(std::min(contents.size() - done, kLargestWrite));
    DWORD written = 0;
    if (!WriteFile(temporary_, contents.data() + done, part, &written, nullptr)) {
      ThrowWin32(GetLastError());
    }
    done += written;
  }
  if (!FlushFileBuffers(temporary_)) ThrowWin32(GetLastError());
  HANDLE file = temporary_;
  temporary_ = INVALID_HANDLE_VALUE;
  if (!CloseHandle(file)) ThrowWin32(GetLastError());
  if (!MoveFileExA(temporary_path_.c_str(), path_.c_str(), MOVEFILE_WRITE_THROUGH)) {
    ThrowWin32(TakenNameError(GetLastError()));
  }
  committed_ = true;
}
