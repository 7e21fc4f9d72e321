// Fills a caller's buffer with NUL-terminated strings and a closing NUL, the way Windows'
// profile calls do, including their answer when the buffer is too small.
#pragma once

#include <cstddef>
#include <string_view>

#include <windef.h>

class MultiStringWriter {
 public:
  // buffer may be null only when size is 0.
  MultiStringWriter(char* buffer, DWORD size) : buffer_(buffer), size_(size) {}

  // Adds strings that already carry their own terminating NULs.
  void Append(std::string_view strings);

  // Writes the closing NUL(s) and returns what the profile call returns: the bytes stored
  // before the closing NUL, or size - 2 when the strings did not fit with room to spare.
  DWORD Finish();

  // True when the strings and the closing NUL did not all fit. An exact fit is complete although
  // it returns size - 2 too: the last string's own NUL lands where a cut one's would.
  bool truncated() const { return total_ >= size_; }

 private:
  // Bytes of strings that fit before the two closing NULs of a full buffer.
  size_t Room() const { return size_ < 2 ? 0 : size_ - 2; }

  char* buffer_;
  DWORD size_;
  size_t total_ = 0;  // bytes of strings appended, stored or not
};
