// Converts UTF-16 text, slice by slice, to the ANSI code page at the end of a TextBuffer.
// Unpaired surrogates refuse the text; a high surrogate that ends a slice waits for the next one;
// ASCII is narrowed directly, the rest goes to WideCharToMultiByte in as few calls as possible.
#pragma once

#include <cstddef>
#include <memory>

#include <windef.h>

#include "text_buffer.h"

class AnsiConverter {
 public:
  static constexpr size_t kSliceUnits = size_t{1} << 16;

  AnsiConverter(UINT code_page, TextBuffer* out);

  // Room for one slice: the units kept from the previous slice, then up to room() more.
  char16_t* slice() { return units_.get(); }
  size_t kept() const { return kept_; }
  size_t room() const { return kSliceUnits - kept_; }

  // Converts the first `count` units of the slice (kept ones included). Unless at_end, a final
  // high surrogate is kept for the next slice. False when WideCharToMultiByte failed or a
  // character has no form in the code page (ERROR_NO_UNICODE_TRANSLATION); error() then holds
  // the Win32 code.
  bool Convert(size_t count, bool at_end);
  DWORD error() const { return error_; }

 private:
  static bool HasUnpairedSurrogate(const char16_t* units, size_t count);
  bool ConvertRun(const char16_t* units, size_t count);

  UINT code_page_;
  TextBuffer* out_;
  std::unique_ptr<char16_t[]> units_;
  size_t kept_ = 0;
  DWORD error_ = 0;
};
