// BSTR allocation: a 4-byte byte length, the UTF-16 text, and a NUL character after it.
#include <climits>
#include <cstdlib>
#include <cstring>

#include <objbase.h>

namespace {

constexpr size_t kPrefix = sizeof(DWORD);

// A BSTR of byte_length bytes, zero-filled, terminator included; null when too long or out of
// memory.
BSTR AllocateBytes(size_t byte_length) {
  if (byte_length > UINT_MAX - kPrefix - sizeof(OLECHAR)) return nullptr;
  auto block = static_cast<char*>(std::calloc(1, kPrefix + byte_length + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  DWORD stored_length = static_cast<DWORD>(byte_length);
  std::memcpy(block, &stored_length, kPrefix);
  return reinterpret_cast<BSTR>(block + kPrefix);
}

char* BlockOf(BSTR text) {
  return reinterpret_cast<char*>(text) - kPrefix;
}

}  // namespace

BSTR WINAPI SysAllocStringByteLen(LPCSTR psz, UINT len) {
  BSTR text = AllocateBytes(len);
  if (text != nullptr && psz != nullptr) std::memcpy(text, psz, len);
  return text;
}

// Without a source the characters are zero (Windows leaves them undefined).
BSTR WINAPI SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  if (ui > UINT_MAX / sizeof(OLECHAR)) return nullptr;
  return SysAllocStringByteLen(reinterpret_cast<LPCSTR>(strIn), ui * UINT(sizeof(OLECHAR)));
}

BSTR WINAPI SysAllocString(const OLECHAR* psz) {
  if (psz == nullptr) return nullptr;
  size_t length = 0;
  while (psz[length] != 0) ++length;
  if (length > UINT_MAX / sizeof(OLECHAR)) return nullptr;
  return SysAllocStringLen(psz, static_cast<UINT>(length));
}

UINT WINAPI SysStringByteLen(BSTR bstr) {
  if (bstr == nullptr) return 0;
  DWORD length;
  std::memcpy(&length, BlockOf(bstr), kPrefix);
  return length;
}

UINT WINAPI SysStringLen(BSTR pbstr) {
  return SysStringByteLen(pbstr) / sizeof(OLECHAR);
}

void WINAPI SysFreeString(BSTR bstrString) {
  if (bstrString != nullptr) std::free(BlockOf(bstrString));
}
