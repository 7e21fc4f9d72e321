// ComRef: owns one counted reference to a COM interface and releases it when it goes away.
#pragma once

#include <utility>

#include <objbase.h>

template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ComRef(ComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    reset(std::exchange(other.pointer_, nullptr));
    return *this;
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() { reset(); }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // Releases the reference held so far, then hands out the slot for a call that fills it.
  void** put() {
    reset();
    return reinterpret_cast<void**>(&pointer_);
  }

  void reset(Interface* pointer = nullptr) {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = pointer;
  }

 private:
  Interface* pointer_ = nullptr;
};
