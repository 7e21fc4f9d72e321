// BSTR handling shared by the tool: ownership, conversion from 8-bit text, joining.
#pragma once

#include <string>
#include <utility>

#include <objbase.h>

// Owns one BSTR and frees it on destruction. A null BSTR stands for the empty string.
class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(BSTR value) : value_(value) {}
  UniqueBstr(UniqueBstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    reset(std::exchange(other.value_, nullptr));
    return *this;
  }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  ~UniqueBstr() { SysFreeString(value_); }

  BSTR get() const { return value_; }
  UINT length() const { return SysStringLen(value_); }
  bool empty() const { return length() == 0; }
  void reset(BSTR value = nullptr) {
    SysFreeString(value_);
    value_ = value;
  }

 private:
  BSTR value_ = nullptr;
};

// Converts NUL-terminated 8-bit text in the ANSI code page to a new BSTR; null when the
// conversion or the allocation fails.
BSTR AnsiToBstr(const char* text);

// As AnsiToBstr, but raises a _com_error (from the last error, or E_OUTOFMEMORY) on failure.
BSTR AnsiToBstrOrThrow(const char* text);

// A new BSTR holding first followed by second; null when it cannot be allocated.
BSTR JoinBstr(BSTR first, const OLECHAR* second, UINT second_length);
inline BSTR JoinBstr(BSTR first, BSTR second) {
  return JoinBstr(first, second, SysStringLen(second));
}

// The text (units code units of it) converted to the ANSI code page, for printing and for 8-bit
// interfaces; a character the code page lacks becomes its default character. Raises
// std::bad_alloc when memory runs out; empty when the text cannot be converted otherwise.
std::string WideToAnsi(const OLECHAR* text, size_t units);
inline std::string BstrToAnsi(BSTR text) {
  return WideToAnsi(text, SysStringLen(text));
}
