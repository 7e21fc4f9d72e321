#include "support/registry_test_support.h"

#include "registry/key_handles.h"

HKEY CreateKey(HKEY parent, const char* path) {
  HKEY key = nullptr;
  RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

LSTATUS SetValue(HKEY key, const char* name, DWORD type, const std::string& data) {
  return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

bool KeyExists(HKEY parent, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  char name[1024];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != 0) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::vector<std::string> ValueNames(HKEY key) {
  std::vector<std::string> names;
  std::string name(65536, '\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumValueA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != 0) {
      break;
    }
    names.push_back(name.substr(0, length));
  }
  return names;
}

std::optional<RegistryValue> StoredValue(HKEY key, const std::u16string& name) {
  auto lock = LockRegistry();
  const OpenKey* open = nullptr;
  if (FindKeyHandle(key, &open) != ERROR_SUCCESS) return std::nullopt;
  const RegistryValue* value = open->key->FindValue(name);
  if (!value) return std::nullopt;
  return *value;
}

std::vector<BYTE> Bytes(const std::string& text) {
  return std::vector<BYTE>(text.begin(), text.end());
}
