// RegCreateKeyExA, RegOpenKeyExA, RegOpenKeyExW, RegDeleteKeyA, RegEnumKeyExA and RegCloseKey on
// the hives.
#include <string>

#include <windows.h>

#include "ansi_text_conversion.h"
#include "key_handles.h"
#include "key_path.h"
#include "system/guarded.h"
#include "value_transfer.h"

namespace {

// The open key behind handle, and the key names of path (ANSI text) below it.
LSTATUS ResolvePath(HKEY handle, LPCSTR path, const OpenKey** start, std::u16string* path_text,
                    KeyNames* names) {
  LSTATUS status = FindKeyHandle(handle, start);
  if (status == ERROR_SUCCESS) status = AnsiNameToUtf16(path, path_text);
  if (status == ERROR_SUCCESS) status = SplitKeyPath(*path_text, names);
  return status;
}

// The key that path names below handle, which must exist, and the open key behind handle.
LSTATUS FindExistingKey(HKEY handle, std::u16string_view path, const OpenKey** start,
                        std::shared_ptr<RegistryKey>* key) {
  KeyNames names;
  LSTATUS status = FindKeyHandle(handle, start);
  if (status == ERROR_SUCCESS) status = SplitKeyPath(path, &names);
  if (status != ERROR_SUCCESS) return status;
  *key = (*start)->key->FindPath(names);
  return *key ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// As FindExistingKey, for a path in ANSI text.
LSTATUS FindExistingKey(HKEY handle, LPCSTR path, const OpenKey** start,
                        std::shared_ptr<RegistryKey>* key) {
  std::u16string path_text;
  LSTATUS status = FindKeyHandle(handle, start);
  if (status == ERROR_SUCCESS) status = AnsiNameToUtf16(path, &path_text);
  return status == ERROR_SUCCESS ? FindExistingKey(handle, path_text, start, key) : status;
}

// A new handle to the key path (ANSI or UTF-16 text) names below handle.
template <typename Path>
LSTATUS OpenExistingKey(HKEY handle, const Path& path, REGSAM access, PHKEY opened) {
  const OpenKey* start = nullptr;
  std::shared_ptr<RegistryKey> key;
  LSTATUS status = FindExistingKey(handle, path, &start, &key);
  if (status != ERROR_SUCCESS) return status;
  *opened = AddKeyHandle(OpenKey{start->root, std::move(key), access});
  return ERROR_SUCCESS;
}

}  // namespace

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/,
                               DWORD /*dwOptions*/, REGSAM samDesired,
                               const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                               PHKEY phkResult, LPDWORD lpdwDisposition) {
  // Classes and security are not kept, and every key is saved: a policy's Registry.pol has no
  // place for any of them, nor for volatile keys. The access asked for holds for the new handle.
  if (!phkResult) return ERROR_BADKEY;
  *phkResult = nullptr;
  return GuardedStatus([&]() -> LSTATUS {
    auto lock = LockRegistry();
    const OpenKey* start = nullptr;
    std::u16string path;
    KeyNames names;
    LSTATUS status = ResolvePath(hKey, lpSubKey, &start, &path, &names);
    std::shared_ptr<RegistryKey> key;
    bool created = false;
    if (status == ERROR_SUCCESS) status = start->key->CreatePath(names, &key, &created);
    if (status != ERROR_SUCCESS) return status;
    *phkResult = AddKeyHandle(OpenKey{start->root, std::move(key), samDesired});
    if (lpdwDisposition) {
      *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                             PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  return GuardedStatus([&] {
    auto lock = LockRegistry();
    return OpenExistingKey(hKey, lpSubKey, samDesired, phkResult);
  });
}

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                             PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  return GuardedStatus([&] {
    auto lock = LockRegistry();
    std::u16string_view path = lpSubKey ? std::u16string_view(lpSubKey) : std::u16string_view();
    return OpenExistingKey(hKey, path, samDesired, phkResult);
  });
}

LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  return GuardedStatus([&]() -> LSTATUS {
    auto lock = LockRegistry();
    const OpenKey* start = nullptr;
    std::shared_ptr<RegistryKey> key;
    LSTATUS status = FindExistingKey(hKey, lpSubKey, &start, &key);
    return status == ERROR_SUCCESS ? key->Detach() : status;
  });
}

LSTATUS WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                             LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                             PFILETIME lpftLastWriteTime) {
  if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass)) {
    return ERROR_INVALID_PARAMETER;
  }
  return GuardedStatus([&]() -> LSTATUS {
    auto lock = LockRegistry();
    const RegistryKey* subkey = nullptr;
    LSTATUS status = FindSubkeyAt(hKey, dwIndex, &subkey);
    std::string name;
    if (status == ERROR_SUCCESS) status = Utf16ToAnsi(subkey->name(), &name);
    if (status != ERROR_SUCCESS) return status;
    return CopySubkeyOut(name, lpName, lpcchName, lpClass, lpcchClass, lpftLastWriteTime);
  });
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  return GuardedStatus([&] {
    auto lock = LockRegistry();
    return RemoveKeyHandle(hKey);
  });
}
