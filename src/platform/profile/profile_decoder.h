// Turns the bytes of a profile file, fed block by block, into text in the ANSI code page:
// a UTF-16LE, UTF-16BE or UTF-8 byte order mark selects conversion, other files are ANSI
// already and are kept byte for byte. NUL characters are dropped: they are no text, and in the
// profile calls' lists they would end a line, or the whole list, early.
#pragma once

#include <cstddef>
#include <string>

#include <windef.h>

#include "ansi_converter.h"
#include "text_buffer.h"

class ProfileDecoder {
 public:
  // code_page: the ANSI code page to produce. size_hint: the file's size, to reserve the text once.
  ProfileDecoder(UINT code_page, size_t size_hint);
  ProfileDecoder(const ProfileDecoder&) = delete;
  ProfileDecoder& operator=(const ProfileDecoder&) = delete;

  // Blocks may split characters anywhere; the split parts are joined with the next block.
  void Append(const char* bytes, size_t count);

  // Ends the input. Damaged UTF-16 (an odd last byte, an unpaired surrogate anywhere) refuses
  // the file with ERROR_NO_UNICODE_TRANSLATION rather than landing as U+FFFD; damaged UTF-8
  // becomes U+FFFD, which only a code page that holds it lets through.
  // False when a conversion failed, text the code page cannot hold included; error() then holds
  // its Win32 code.
  bool Finish();

  TextBuffer& text() { return text_; }
  DWORD error() const { return error_; }

 private:
  enum class Encoding { kUnknown, kAnsi, kUtf8, kUtf16Le, kUtf16Be };

  void DetectEncoding();
  void Decode(const char* bytes, size_t count, bool at_end);
  void DecodeUtf16(const char* bytes, size_t count, bool at_end);
  void DecodeUtf8(const char* bytes, size_t count, bool at_end);
  void DropNulBytes(size_t from);
  void Fail(DWORD error);

  UINT code_page_;
  size_t size_hint_;
  Encoding encoding_ = Encoding::kUnknown;
  std::string pending_;  // bytes held back: the start of the file, or a cut character
  TextBuffer text_;
  AnsiConverter converter_;
  DWORD error_ = 0;
};
