// A growable array of plain records on a TextBuffer's pages: it grows without copying, which
// matters for the hundreds of thousands of sections of a large file.
#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "text_buffer.h"

template <typename T>
class PagedArray {
  static_assert(std::is_trivially_copyable<T>::value, "records are moved as bytes");

 public:
  size_t size() const { return bytes_.size() / sizeof(T); }
  bool empty() const { return bytes_.empty(); }

  T& operator[](size_t index) { return data()[index]; }
  const T& operator[](size_t index) const { return data()[index]; }
  T* begin() { return data(); }
  T* end() { return data() + size(); }
  const T* begin() const { return data(); }
  const T* end() const { return data() + size(); }

  void push_back(const T& item) {
    std::memcpy(bytes_.Reserve(sizeof(T)), &item, sizeof(T));
    bytes_.Commit(sizeof(T));
  }

  // Makes the array `count` copies of item.
  void assign(size_t count, const T& item) {
    bytes_.Truncate(0);
    T* items = reinterpret_cast<T*>(bytes_.Reserve(count * sizeof(T)));
    for (size_t i = 0; i < count; ++i) std::memcpy(items + i, &item, sizeof(T));
    bytes_.Commit(count * sizeof(T));
  }

  void clear() { bytes_ = TextBuffer(); }

 private:
  // The pages start on a page boundary, aligned for any record.
  T* data() { return reinterpret_cast<T*>(bytes_.data()); }
  const T* data() const { return reinterpret_cast<const T*>(bytes_.data()); }

  TextBuffer bytes_;
};
