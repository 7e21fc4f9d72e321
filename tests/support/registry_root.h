// A registry key for a test to import into, standing for the root of a policy's half: on Linux
// a fresh in-memory hive's root; on Windows a scratch key under HKEY_CURRENT_USER, deleted with
// everything in it afterwards.
#pragma once

#include <memory>

#include <windows.h>

class ScratchRegistryRoot {
 public:
  ScratchRegistryRoot();
  ScratchRegistryRoot(const ScratchRegistryRoot&) = delete;
  ScratchRegistryRoot& operator=(const ScratchRegistryRoot&) = delete;
  ~ScratchRegistryRoot();

  // A new handle to the root; the caller closes it with RegCloseKey. Null when none was made.
  HKEY Open() const;

 private:
  struct Store;
  std::unique_ptr<Store> store_;
};
