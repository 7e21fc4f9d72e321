#include "text_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace {

size_t PageSize() {
  static const size_t page_size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return page_size;
}

size_t RoundUpToPages(size_t bytes) {
  size_t page_size = PageSize();
  if (bytes > SIZE_MAX - page_size) throw std::bad_alloc();
  return (bytes + page_size - 1) / page_size * page_size;
}

}  // namespace

TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

TextBuffer::~TextBuffer() {
  Release();
}

void TextBuffer::Release() {
  if (data_ != nullptr) munmap(data_, capacity_);
  data_ = nullptr;
  size_ = capacity_ = 0;
}

void TextBuffer::Remap(size_t capacity) {
  void* pages = data_ == nullptr ? mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                 : mremap(data_, capacity_, capacity, MREMAP_MAYMOVE);
  if (pages == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<char*>(pages);
  capacity_ = capacity;
}

// Grows by half again at least, so that appending stays linear even where remapping copies.
char* TextBuffer::Reserve(size_t count) {
  if (count > capacity_ - size_) {
    if (count > SIZE_MAX - size_) throw std::bad_alloc();
    size_t wanted = size_ + count;
    size_t grown = capacity_ + capacity_ / 2;
    Remap(RoundUpToPages(wanted > grown ? wanted : grown));
  }
  return data_ + size_;
}

void TextBuffer::Append(const char* bytes, size_t count) {
  if (count == 0) return;
  std::memcpy(Reserve(count), bytes, count);
  size_ += count;
}

void TextBuffer::ShrinkToFit() {
  if (size_ == 0) return Release();
  size_t capacity = RoundUpToPages(size_);
  if (capacity < capacity_) Remap(capacity);
}
