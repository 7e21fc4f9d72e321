#include "writer_hold.h"

#ifdef _WIN32

#include <windows.h>

namespace {

HANDLE OpenForWriting(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool HeldAgainstWriters(const std::string& path) {
  HANDLE writer = OpenForWriting(path);
  if (writer == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(writer);
  return false;
}

WriterHold::WriterHold(const std::string& path) : handle_(OpenForWriting(path)) {
  holding_ = handle_ != INVALID_HANDLE_VALUE;
}

WriterHold::~WriterHold() {
  if (holding_) CloseHandle(handle_);
}

#else

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool HeldAgainstWriters(const std::string& path) {
  int descriptor = open(path.c_str(), O_WRONLY);
  if (descriptor < 0) return false;
  bool held = flock(descriptor, LOCK_EX | LOCK_NB) != 0;
  close(descriptor);
  return held;
}

WriterHold::WriterHold(const std::string& path) : descriptor_(open(path.c_str(), O_WRONLY)) {
  holding_ = descriptor_ >= 0 && flock(descriptor_, LOCK_EX | LOCK_NB) == 0;
}

WriterHold::~WriterHold() {
  if (descriptor_ >= 0) close(descriptor_);
}

#endif
