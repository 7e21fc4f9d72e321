// Shared by the registry's tests: a hive with its root key open, and short ways to look inside.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "registry/hive.h"
#include "registry/registry_key.h"

class HiveTest : public ::testing::Test {
 protected:
  ~HiveTest() override { RegCloseKey(root_); }

  RegistryHive hive_;
  HKEY root_ = hive_.OpenRoot();
};

// Creates (or opens) path below parent; null when RegCreateKeyExA fails.
HKEY CreateKey(HKEY parent, const char* path);

// RegSetValueExA with the bytes of data.
LSTATUS SetValue(HKEY key, const char* name, DWORD type, const std::string& data);

// Whether path below parent opens.
bool KeyExists(HKEY parent, const char* path);

// The names RegEnumKeyExA and RegEnumValueA list, in their order.
std::vector<std::string> SubkeyNames(HKEY key);
std::vector<std::string> ValueNames(HKEY key);

// The value as the hive stores it (UTF-16LE for strings), read past the A functions.
std::optional<RegistryValue> StoredValue(HKEY key, const std::u16string& name);

// Bytes from text, for tables of expected data.
std::vector<BYTE> Bytes(const std::string& text);
