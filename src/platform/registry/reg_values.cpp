// RegSetValueExA, RegDeleteValueA, RegQueryValueExA and RegEnumValueA on the hives.
#include <string>
#include <vector>

#include <windows.h>

#include "ansi_text_conversion.h"
#include "key_handles.h"
#include "registry_limits.h"
#include "system/ascii_text.h"
#include "system/guarded.h"
#include "utf16le.h"
#include "value_transfer.h"

namespace {

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// StoredData for ASCII text, which every code page widens unchanged: written straight into the
// stored bytes. False, storing nothing, for other text.
bool StoreAsciiText(const BYTE* data, DWORD size, std::vector<BYTE>* stored) {
  if (!IsAsciiText(reinterpret_cast<const char*>(data), size)) return false;
  bool add_terminator = size > 0 && data[size - 1] != 0;
  stored->assign(2 * (size_t{size} + add_terminator), 0);
  for (DWORD i = 0; i < size; ++i) (*stored)[2 * i] = data[i];
  return true;
}

// The bytes the hive keeps for data handed to RegSetValueExA: strings converted to UTF-16LE and,
// as Windows does, given a terminating NUL when the caller left it out; other types as given.
LSTATUS StoredData(DWORD type, const BYTE* data, DWORD size, std::vector<BYTE>* stored) {
  if (!IsStringType(type)) {
    stored->assign(data, data + size);
    return ERROR_SUCCESS;
  }
  // No code page turns n bytes into fewer than 2n/3 UTF-16 bytes, so such text can never fit.
  if (size / 3 * 2 > kMaxValueDataSize) return ERROR_FILE_TOO_LARGE;
  if (StoreAsciiText(data, size, stored)) return ERROR_SUCCESS;
  std::u16string text;
  LSTATUS status = AnsiToUtf16(reinterpret_cast<const char*>(data), size, &text);
  if (status != ERROR_SUCCESS) return status;
  if (!text.empty() && text.back() != u'\0') text.push_back(u'\0');
  AppendUtf16Le(text, stored);
  return ERROR_SUCCESS;
}

// The bytes RegQueryValueExA and RegEnumValueA hand back: strings in the ANSI code page.
LSTATUS CallerData(const RegistryValue& value, std::vector<BYTE>* data) {
  if (!IsStringType(value.type)) {
    *data = value.data;
    return ERROR_SUCCESS;
  }
  std::string text;
  LSTATUS status = Utf16ToAnsi(ReadUtf16Le(value.data.data(), value.data.size()), &text);
  data->assign(text.begin(), text.end());
  return status;
}

// Hands value's type and data, strings in the code page, to the caller's optional buffers.
LSTATUS CopyValueOut(const RegistryValue& value, LPDWORD type, LPBYTE buffer, LPDWORD size) {
  std::vector<BYTE> data;
  LSTATUS status = size ? CallerData(value, &data) : ERROR_SUCCESS;
  return status == ERROR_SUCCESS ? CopyDataOut(value.type, data, type, buffer, size) : status;
}

}  // namespace

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  return GuardedStatus([&]() -> LSTATUS {
    auto lock = LockRegistry();
    std::u16string name;
    std::vector<BYTE> data;
    LSTATUS status = AnsiNameToUtf16(lpValueName, &name);
    if (status == ERROR_SUCCESS) status = StoredData(dwType, lpData, cbData, &data);
    return status == ERROR_SUCCESS ? StoreValue(hKey, name, dwType, std::move(data)) : status;
  });
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  return GuardedStatus([&]() -> LSTATUS {
    auto lock = LockRegistry();
    const OpenKey* open = nullptr;
    std::u16string name;
    LSTATUS status = FindKeyHandle(hKey, &open);
    if (status == ERROR_SUCCESS && !(open->access & KEY_SET_VALUE)) status = ERROR_ACCESS_DENIED;
    if (status == ERROR_SUCCESS) status = AnsiNameToUtf16(lpValueName, &name);
    if (status != ERROR_SUCCESS) return status;
    return open->key->RemoveValue(name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  return GuardedStatus([&]() -> LSTATUS {
    auto lock = LockRegistry();
    const OpenKey* open = nullptr;
    std::u16string name;
    LSTATUS status = FindKeyHandle(hKey, &open);
    if (status == ERROR_SUCCESS) status = AnsiNameToUtf16(lpValueName, &name);
    if (status != ERROR_SUCCESS) return status;
    const RegistryValue* value = open->key->FindValue(name);
    return value ? CopyValueOut(*value, lpType, lpData, lpcbData) : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) {
    return ERROR_INVALID_PARAMETER;
  }
  return GuardedStatus([&]() -> LSTATUS {
    auto lock = LockRegistry();
    const RegistryValue* value = nullptr;
    LSTATUS status = FindValueAt(hKey, dwIndex, &value);
    std::string name;
    if (status == ERROR_SUCCESS) status = Utf16ToAnsi(value->name, &name);
    if (status == ERROR_SUCCESS) status = CopyNameOut(name, lpValueName, lpcchValueName);
    return status == ERROR_SUCCESS ? CopyValueOut(*value, lpType, lpData, lpcbData) : status;
  });
}
