// A growable byte buffer in pages of its own. It grows and shrinks by remapping its pages rather
// than copying them, so a text of hundreds of megabytes is written once. It does not ask for huge
// pages: where measured (virtual machines), the kernel's zeroing of each fresh 2 MiB page cost
// more than the page faults they saved.
#pragma once

#include <cstddef>
#include <string_view>

class TextBuffer {
 public:
  TextBuffer() = default;
  TextBuffer(TextBuffer&& other) noexcept;
  TextBuffer& operator=(TextBuffer&& other) noexcept;
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;
  ~TextBuffer();

  char* data() { return data_; }
  const char* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return std::string_view(data_, size_); }

  // Room for at least `count` more bytes after the end: write there, then Commit what was
  // written. Throws std::bad_alloc when memory runs out.
  char* Reserve(size_t count);
  void Commit(size_t count) { size_ += count; }

  void Append(const char* bytes, size_t count);
  void Append(char byte) { Append(&byte, 1); }
  // Drops the bytes from `size` on.
  void Truncate(size_t size) { size_ = size < size_ ? size : size_; }
  // Gives back the pages beyond the end.
  void ShrinkToFit();

 private:
  void Remap(size_t capacity);
  void Release();

  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;  // whole pages
};
