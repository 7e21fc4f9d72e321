// Where a code-page conversion writes: the caller's buffer of fixed size, or nowhere when the
// caller only asks how long the result would be.
#pragma once

#include <cstddef>

enum class ConversionStatus { kDone, kBufferTooSmall, kInvalidInput, kUnsupportedCodePage };

template <typename Unit>
class ConversionOutput {
 public:
  // A null buffer counts units without storing them.
  ConversionOutput(Unit* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {}

  bool HasRoom(size_t units) const { return buffer_ == nullptr || capacity_ - count_ >= units; }

  // Only after HasRoom said yes.
  void PutUnchecked(Unit unit) {
    if (buffer_ != nullptr) buffer_[count_] = unit;
    ++count_;
  }

  // False, storing nothing, when the units do not all fit.
  bool Put(const Unit* units, size_t length) {
    if (!HasRoom(length)) return false;
    for (size_t i = 0; i < length; ++i) PutUnchecked(units[i]);
    return true;
  }
  bool Put(Unit unit) { return Put(&unit, 1); }

  size_t count() const { return count_; }

 private:
  Unit* buffer_;
  size_t capacity_;
  size_t count_ = 0;
};
