// MultiByteToWideChar and WideCharToMultiByte with Windows' rules for lengths, size queries and
// failures; UTF-8 natively, every other code page through iconv.
#include <climits>
#include <cstring>

#include <windows.h>

#include "code_page.h"
#include "guarded.h"
#include "iconv_codec.h"
#include "utf8_codec.h"

namespace {

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// Windows' checks shared by both directions: a source, a length of -1 or more (never 0), and a
// buffer whenever a buffer size is given.
bool ValidArguments(const void* source, int source_length, const void* buffer, int buffer_size) {
  return source != nullptr && source_length != 0 && source_length >= -1 && buffer_size >= 0 &&
         (buffer != nullptr || buffer_size == 0);
}

template <typename Unit>
int Finish(ConversionStatus status, const ConversionOutput<Unit>& out) {
  switch (status) {
    case ConversionStatus::kDone:
      return out.count() > INT_MAX ? Fail(ERROR_ARITHMETIC_OVERFLOW)
                                   : static_cast<int>(out.count());
    case ConversionStatus::kBufferTooSmall:
      return Fail(ERROR_INSUFFICIENT_BUFFER);
    case ConversionStatus::kInvalidInput:
      return Fail(ERROR_NO_UNICODE_TRANSLATION);
    case ConversionStatus::kUnsupportedCodePage:
      break;
  }
  return Fail(ERROR_INVALID_PARAMETER);
}

size_t WideLength(const char16_t* text) {
  size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
}

// Bytes of the default character's first character: two for a double-byte one.
size_t DefaultCharLength(UINT code_page, const char* default_char) {
  if (default_char[0] == '\0') return 1;
  bool double_byte =
      IsDBCSLeadByteEx(code_page, static_cast<BYTE>(default_char[0])) && default_char[1] != '\0';
  return double_byte ? 2 : 1;
}

}  // namespace

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  return GuardedLastError(0, [&] {
    if (!ValidArguments(lpMultiByteStr, cbMultiByte, lpWideCharStr, cchWideChar)) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    CodePageCodec codec;
    if (!ResolveCodePage(CodePage, &codec)) return Fail(ERROR_INVALID_PARAMETER);
    // Windows takes no flag but MB_ERR_INVALID_CHARS for UTF-8.
    DWORD allowed = MB_ERR_INVALID_CHARS | (codec.codeset != nullptr ? MB_PRECOMPOSED : 0);
    if ((dwFlags & ~allowed) != 0) return Fail(ERROR_INVALID_FLAGS);

    size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : size_t(cbMultiByte);
    bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
    ConversionOutput<char16_t> out(cchWideChar == 0 ? nullptr : lpWideCharStr, size_t(cchWideChar));
    ConversionStatus status =
        codec.codeset == nullptr
            ? DecodeUtf8(lpMultiByteStr, length, strict, out)
            : DecodeWithIconv(codec.codeset, lpMultiByteStr, length, strict, out);
    return Finish(status, out);
  });
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
  return GuardedLastError(0, [&] {
    if (!ValidArguments(lpWideCharStr, cchWideChar, lpMultiByteStr, cbMultiByte)) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    CodePageCodec codec;
    if (!ResolveCodePage(CodePage, &codec)) return Fail(ERROR_INVALID_PARAMETER);
    bool utf8 = codec.codeset == nullptr;
    if (utf8 && (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr)) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    // iconv never substitutes a look-alike, so WC_NO_BEST_FIT_CHARS always holds.
    DWORD allowed = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    if ((dwFlags & ~allowed) != 0) return Fail(ERROR_INVALID_FLAGS);

    size_t length = cchWideChar == -1 ? WideLength(lpWideCharStr) + 1 : size_t(cchWideChar);
    ConversionOutput<char> out(cbMultiByte == 0 ? nullptr : lpMultiByteStr, size_t(cbMultiByte));
    if (utf8) {
      bool strict = (dwFlags & WC_ERR_INVALID_CHARS) != 0;
      return Finish(EncodeUtf8(lpWideCharStr, length, strict, out), out);
    }
    const char* default_char = lpDefaultChar != nullptr ? lpDefaultChar : "?";
    bool used_default = false;
    ConversionStatus status =
        EncodeWithIconv(codec.codeset, lpWideCharStr, length, default_char,
                        DefaultCharLength(codec.number, default_char), &used_default, out);
    if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = used_default ? TRUE : FALSE;
    return Finish(status, out);
  });
}
