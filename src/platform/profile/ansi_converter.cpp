#include "ansi_converter.h"

#include <algorithm>

#include <winbase.h>
#include <winnls.h>

#include "system/ascii_text.h"
#include "system/utf16_units.h"

namespace {

// ASCII is decided per group: small enough that a stray non-ASCII character costs little,
// large enough that text full of them makes few conversion calls.
constexpr size_t kGroupUnits = 64;

// ASCII is the same bytes in every ANSI code page.
void Narrow(const char16_t* units, size_t count, TextBuffer* out) {
  char* bytes = out->Reserve(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(units[i]);
  out->Commit(count);
}

}  // namespace

AnsiConverter::AnsiConverter(UINT code_page, TextBuffer* out)
    : code_page_(code_page), out_(out), units_(new char16_t[kSliceUnits]) {}

// A high surrogate can only be the first half of a pair, so one ending the slice is kept whole.
bool AnsiConverter::Convert(size_t count, bool at_end) {
  kept_ = !at_end && count > 0 && IsHighSurrogate(units_[count - 1]) ? 1 : 0;
  count -= kept_;
  char16_t* units = units_.get();
  for (size_t start = 0; start < count;) {
    size_t end = start + std::min(kGroupUnits, count - start);
    if (IsAsciiText(units + start, end - start)) {
      Narrow(units + start, end - start, out_);
    } else {
      // A run of non-ASCII groups ends where an ASCII group starts, so it never ends between
      // the halves of a surrogate pair.
      while (end < count && !IsAsciiText(units + end, std::min(kGroupUnits, count - end))) {
        end += std::min(kGroupUnits, count - end);
      }
      if (HasUnpairedSurrogate(units + start, end - start)) {
        error_ = ERROR_NO_UNICODE_TRANSLATION;
        return false;
      }
      if (!ConvertRun(units + start, end - start)) return false;
    }
    start = end;
  }
  if (kept_ > 0) units_[0] = units_[count];
  return true;
}

// A damaged file's unpaired surrogate has no form in any code page; read as U+FFFD, it would
// land in the policy as a character the file does not hold.
bool AnsiConverter::HasUnpairedSurrogate(const char16_t* units, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (IsHighSurrogate(units[i]) && i + 1 < count && IsLowSurrogate(units[i + 1])) {
      ++i;
    } else if (IsSurrogate(units[i])) {
      return true;
    }
  }
  return false;
}

// Four bytes per UTF-16 unit is enough for every ANSI code page (UTF-8 needs three, GB18030
// four); room not written is only address space until the text is shrunk. A character the code
// page cannot hold fails the conversion: a default character in its place could make two key
// names one, and the file is refused before anything is imported from it.
bool AnsiConverter::ConvertRun(const char16_t* units, size_t count) {
  BOOL used_default = FALSE;
  int made = WideCharToMultiByte(code_page_, 0, units, static_cast<int>(count),
                                 out_->Reserve(count * 4), static_cast<int>(count * 4), nullptr,
                                 code_page_ == CP_UTF8 ? nullptr : &used_default);
  if (made <= 0 || used_default) {
    error_ = made > 0 || GetLastError() == 0 ? ERROR_NO_UNICODE_TRANSLATION : GetLastError();
    return false;
  }
  out_->Commit(made);
  return true;
}
