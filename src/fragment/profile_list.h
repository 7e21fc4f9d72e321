// ProfileList: a buffer for the profile reader's lists (NUL-terminated strings ended by an empty
// one) that grows until a list fits whole, so no section or name list is ever cut short.
#pragma once

#include <exception>
#include <functional>
#include <vector>

#include <windows.h>

class ProfileList {
 public:
  // A profile read: fills buffer within capacity, returns the bytes stored, or capacity - 2
  // when the list did not fit.
  using Read = std::function<DWORD(LPSTR buffer, DWORD capacity)>;

  // Fills the buffer by read, growing it while the list may have been cut; returns the first
  // string of the list (empty for an empty list). Raises std::bad_alloc when a list cannot be
  // held, and ProfileReadError when the reader answers 0 with a last error other than
  // ERROR_SUCCESS, which an empty list leaves: it could not read the file at all.
  const char* Fill(const Read& read);

  // The string after text in the list.
  static const char* Next(const char* text);

 private:
  std::vector<char> buffer_;
};

// The profile reader failed instead of answering; error is the last error it set.
class ProfileReadError : public std::exception {
 public:
  explicit ProfileReadError(DWORD error) : error_(error) {}
  DWORD error() const { return error_; }
  const char* what() const noexcept override { return "the profile reader failed"; }

 private:
  DWORD error_;
};
