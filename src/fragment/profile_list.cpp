#include "profile_list.h"

#include <cstring>
#include <limits>
#include <new>

#include "common/out_of_memory.h"

namespace {

// Large enough for the sections of most fragments; reused and grown for larger ones.
constexpr size_t kInitialCapacity = 64 * 1024;
constexpr size_t kMaxCapacity = std::numeric_limits<DWORD>::max();

// A reader that answers 0 leaves ERROR_SUCCESS for an empty list and sets any other code when it
// could not read the file.
const char* EmptyOrFailed(DWORD error) {
  if (error == ERROR_SUCCESS) return "";
  ThrowIfOutOfMemory(error);
  throw ProfileReadError(error);
}

}  // namespace

const char* ProfileList::Fill(const Read& read) {
  if (buffer_.empty()) buffer_.resize(kInitialCapacity);
  for (;;) {
    auto capacity = static_cast<DWORD>(buffer_.size());
    SetLastError(ERROR_SUCCESS);
    DWORD stored = read(buffer_.data(), capacity);
    if (stored == 0) return EmptyOrFailed(GetLastError());
    // A reader answers capacity - 2 both for a list that was cut and for one that just fit.
    if (stored != capacity - 2) return buffer_.data();
    if (buffer_.size() > kMaxCapacity / 2) throw std::bad_alloc();
    size_t larger = buffer_.size() * 2;
    std::vector<char>().swap(buffer_);  // the cut list is read again, so keep no copy of it
    buffer_.resize(larger);
  }
}

const char* ProfileList::Next(const char* text) {
  return text + std::strlen(text) + 1;
}
