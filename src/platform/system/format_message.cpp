// FormatMessageA for messages taken from the system's table. Other sources (a module, a string)
// and line-width control have no caller here and are refused.
#include <cstring>
#include <string>

#include <windows.h>

#include "guarded.h"
#include "message_table.h"

namespace {

DWORD Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// The table is written in English: neutral and English requests are served, others are not.
bool TableHasLanguage(DWORD language) {
  DWORD primary = language & 0x3FF;
  return language <= 0xFFFF && (primary == LANG_NEUTRAL || primary == LANG_ENGLISH);
}

DWORD StoreInNewBuffer(const std::string& text, DWORD minimum_size, LPSTR* result) {
  *result = nullptr;
  size_t size = text.size() + 1 > minimum_size ? text.size() + 1 : minimum_size;
  auto buffer = static_cast<char*>(LocalAlloc(LMEM_ZEROINIT, size));
  if (buffer == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *result = buffer;
  return static_cast<DWORD>(text.size());
}

DWORD StoreInCallersBuffer(const std::string& text, LPSTR buffer, DWORD size) {
  if (buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (text.size() + 1 > size) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

}  // namespace

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID /*lpSource*/, DWORD dwMessageId,
                            DWORD dwLanguageId, LPSTR lpBuffer, DWORD nSize,
                            va_list* /*Arguments: the table's texts hold no inserts*/) {
  const DWORD supported = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                          FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY;
  if ((dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || (dwFlags & ~supported) != 0) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (!TableHasLanguage(dwLanguageId)) return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
  const char* text = SystemMessageText(dwMessageId);
  if (text == nullptr) return Fail(ERROR_MR_MID_NOT_FOUND);

  return GuardedLastError(DWORD{0}, [&] {
    // System texts end with a line break, as Windows' do.
    std::string message = std::string(text) + "\r\n";
    if ((dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
      if (lpBuffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
      return StoreInNewBuffer(message, nSize, reinterpret_cast<LPSTR*>(lpBuffer));
    }
    return StoreInCallersBuffer(message, lpBuffer, nSize);
  });
}
