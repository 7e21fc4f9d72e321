// RegistryHive: one half (machine or user) of a group policy object's registry settings, held in
// memory, read from and written to Registry.pol bytes. The Reg* functions work on it through the
// HKEY that OpenRoot hands out. Linux only; used by the group policy object class and by tests.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <windows.h>

class RegistryKey;

class RegistryHive {
 public:
  // An empty hive: a root key with no values and no subkeys.
  RegistryHive();
  RegistryHive(const RegistryHive&) = delete;
  RegistryHive& operator=(const RegistryHive&) = delete;

  // Reads the bytes of a Registry.pol file into a new hive. Returns S_OK, or
  // HRESULT_FROM_WIN32(ERROR_INVALID_DATA) when the bytes are not a well-formed file in every
  // part; then *hive is left as it was, never holding a partial hive.
  static HRESULT Load(const BYTE* data, size_t size, std::unique_ptr<RegistryHive>* hive);

  // The hive as the bytes of a Registry.pol file. Loading them gives back the same keys and
  // values, and saving that gives the same bytes. (A default value of type REG_NONE without data
  // is written as the key-only record, which it cannot be told from, so it comes back as the key.)
  // The bytes come in the string type the file functions take, so they are not copied again.
  std::string Save() const;

  // A new handle to the root key, for the Reg* functions; the caller closes it with RegCloseKey.
  // The handle keeps the hive's keys alive, so it may be used and closed after the hive is gone.
  HKEY OpenRoot() const;

 private:
  std::shared_ptr<RegistryKey> root_;
};
