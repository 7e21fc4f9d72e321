#include "bstr.h"

#include <comdef.h>

#include <climits>
#include <cstring>
#include <vector>

#include "out_of_memory.h"

BSTR AnsiToBstr(const char* text) {
  int wide_length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (wide_length <= 0) return nullptr;
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(wide_length - 1));
  if (result == nullptr) return nullptr;
  MultiByteToWideChar(CP_ACP, 0, text, -1, result, wide_length);
  return result;
}

BSTR AnsiToBstrOrThrow(const char* text) {
  SetLastError(ERROR_SUCCESS);
  BSTR result = AnsiToBstr(text);
  if (result == nullptr) {
    DWORD error = GetLastError();
    _com_issue_error(error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_OUTOFMEMORY);
  }
  return result;
}

BSTR JoinBstr(BSTR first, const OLECHAR* second, UINT second_length) {
  UINT first_length = SysStringLen(first);
  BSTR result = SysAllocStringLen(nullptr, first_length + second_length);
  if (result == nullptr) return nullptr;
  if (first_length > 0) std::memcpy(result, first, first_length * sizeof(OLECHAR));
  if (second_length > 0) {
    std::memcpy(result + first_length, second, second_length * sizeof(OLECHAR));
  }
  return result;
}

std::string WideToAnsi(const OLECHAR* text, size_t units) {
  if (units == 0) return std::string();
  if (units > static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
  int wide_length = static_cast<int>(units);
  int length = WideCharToMultiByte(CP_ACP, 0, text, wide_length, nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    // An empty string in place of text the conversion had no memory for would drop an entry.
    ThrowIfOutOfMemory(GetLastError());
    return std::string();
  }
  std::string result(static_cast<size_t>(length), '\0');
  length =
      WideCharToMultiByte(CP_ACP, 0, text, wide_length, result.data(), length, nullptr, nullptr);
  if (length <= 0) ThrowIfOutOfMemory(GetLastError());
  result.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return result;
}
