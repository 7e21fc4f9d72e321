#include "multi_string_writer.h"

#include <algorithm>
#include <cstring>

void MultiStringWriter::Append(std::string_view strings) {
  size_t stored = std::min(total_, Room());
  size_t count = std::min(strings.size(), Room() - stored);
  if (count > 0) std::memcpy(buffer_ + stored, strings.data(), count);
  total_ += strings.size();
}

// Windows ends a buffer that was too small (or exactly full) with two NULs at its last two
// places and returns size - 2; a buffer of one byte gets a single NUL and 0.
DWORD MultiStringWriter::Finish() {
  if (size_ == 0) return 0;
  if (size_ == 1) {
    buffer_[0] = '\0';
    return 0;
  }
  if (total_ <= Room()) {
    buffer_[total_] = '\0';
    return static_cast<DWORD>(total_);
  }
  buffer_[size_ - 2] = '\0';
  buffer_[size_ - 1] = '\0';
  return size_ - 2;
}
