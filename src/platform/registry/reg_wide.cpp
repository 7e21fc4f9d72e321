// RegQueryInfoKeyW, RegEnumKeyExW, RegEnumValueW and RegSetValueExW on the hives: names and
// string data cross as the hive holds them, UTF-16, so nothing depends on the code page.
#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>

#include "key_handles.h"
#include "system/guarded.h"
#include "value_transfer.h"

namespace {

// The caller's text as the hive's; WCHAR and char16_t are the same type here.
std::u16string WideName(LPCWSTR name) {
  return name ? std::u16string(name) : std::u16string();
}

// What RegQueryInfoKeyW measures of a key; lengths in characters without the terminator.
struct KeyMeasures {
  DWORD longest_subkey = 0;
  DWORD longest_value_name = 0;
  DWORD longest_data = 0;
};

KeyMeasures Measure(const RegistryKey& key) {
  KeyMeasures measures;
  for (size_t i = 0; i < key.subkey_count(); ++i) {
    measures.longest_subkey =
        std::max(measures.longest_subkey, static_cast<DWORD>(key.SubkeyAt(i)->name().size()));
  }
  for (const RegistryValue& value : key.values()) {
    measures.longest_value_name =
        std::max(measures.longest_value_name, static_cast<DWORD>(value.name.size()));
    measures.longest_data = std::max(measures.longest_data, static_cast<DWORD>(value.data.size()));
  }
  return measures;
}

void SetIfAsked(LPDWORD out, DWORD value) {
  if (out) *out = value;
}

}  // namespace

LSTATUS WINAPI RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen,
                                LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
  if (lpReserved || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
  return GuardedStatus([&]() -> LSTATUS {
    auto lock = LockRegistry();
    const OpenKey* open = nullptr;
    LSTATUS status = FindKeyHandle(hKey, &open);
    if (status != ERROR_SUCCESS) return status;
    // Keys here have no class, no security descriptor and no recorded write time.
    if (lpClass) status = CopyNameOut(std::u16string(), lpClass, lpcchClass);
    if (status != ERROR_SUCCESS) return status;
    if (!lpClass) SetIfAsked(lpcchClass, 0);
    KeyMeasures measures = Measure(*open->key);
    SetIfAsked(lpcSubKeys, static_cast<DWORD>(open->key->subkey_count()));
    SetIfAsked(lpcbMaxSubKeyLen, measures.longest_subkey);
    SetIfAsked(lpcbMaxClassLen, 0);
    SetIfAsked(lpcValues, static_cast<DWORD>(open->key->values().size()));
    SetIfAsked(lpcbMaxValueNameLen, measures.longest_value_name);
    SetIfAsked(lpcbMaxValueLen, measures.longest_data);
    SetIfAsked(lpcbSecurityDescriptor, 0);
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName,
                             LPDWORD lpReserved, LPWSTR lpClass, LPDWORD lpcchClass,
                             PFILETIME lpftLastWriteTime) {
  if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass)) {
    return ERROR_INVALID_PARAMETER;
  }
  return GuardedStatus([&]() -> LSTATUS {
    auto lock = LockRegistry();
    const RegistryKey* subkey = nullptr;
    LSTATUS status = FindSubkeyAt(hKey, dwIndex, &subkey);
    if (status != ERROR_SUCCESS) return status;
    return CopySubkeyOut(subkey->name(), lpName, lpcchName, lpClass, lpcchClass, lpftLastWriteTime);
  });
}

LSTATUS WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) {
    return ERROR_INVALID_PARAMETER;
  }
  return GuardedStatus([&]() -> LSTATUS {
    auto lock = LockRegistry();
    const RegistryValue* value = nullptr;
    LSTATUS status = FindValueAt(hKey, dwIndex, &value);
    if (status == ERROR_SUCCESS) status = CopyNameOut(value->name, lpValueName, lpcchValueName);
    if (status != ERROR_SUCCESS) return status;
    return CopyDataOut(value->type, value->data, lpType, lpData, lpcbData);
  });
}

// String data are stored as given, without the terminator the A function adds: the caller
// handed UTF-16 and said how many bytes of it make the value.
LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  return GuardedStatus([&] {
    auto lock = LockRegistry();
    return StoreValue(hKey, WideName(lpValueName), dwType,
                      std::vector<BYTE>(lpData, lpData + cbData));
  });
}
