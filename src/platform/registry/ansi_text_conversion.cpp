#include "ansi_text_conversion.h"

#include <climits>
#include <cstring>

#include "system/ascii_text.h"

namespace {

// ASCII is the same characters in every ANSI code page, and most names and strings are ASCII.
bool WidenAscii(const char* text, size_t size, std::u16string* converted) {
  if (!IsAsciiText(text, size)) return false;
  converted->assign(text, text + size);
  return true;
}

}  // namespace

LSTATUS AnsiToUtf16(const char* text, size_t size, std::u16string* converted) {
  converted->clear();
  if (size == 0 || WidenAscii(text, size, converted)) return ERROR_SUCCESS;
  if (size > INT_MAX) return ERROR_INVALID_PARAMETER;
  int length = static_cast<int>(size);
  // Bytes that are no text in the code page are refused rather than stored as U+FFFD.
  int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
  if (units <= 0) return ERROR_NO_UNICODE_TRANSLATION;
  converted->resize(units);
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, length, converted->data(), units);
  return ERROR_SUCCESS;
}

LSTATUS AnsiNameToUtf16(const char* name, std::u16string* converted) {
  return AnsiToUtf16(name, name ? std::strlen(name) : 0, converted);
}

LSTATUS Utf16ToAnsi(std::u16string_view text, std::string* converted) {
  converted->clear();
  if (text.empty()) return ERROR_SUCCESS;
  if (text.size() > INT_MAX) return ERROR_INVALID_PARAMETER;
  int length = static_cast<int>(text.size());
  int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return ERROR_NO_UNICODE_TRANSLATION;
  converted->resize(bytes);
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, converted->data(), bytes, nullptr, nullptr);
  return ERROR_SUCCESS;
}
