// The table of open HKEYs, and the lock that every registry operation holds.
#pragma once

#include <memory>
#include <mutex>

#include <windows.h>

#include "registry_key.h"

// The registry's one lock: it guards the handle table and every hive.
std::unique_lock<std::mutex> LockRegistry();

// What an HKEY stands for, and the access it was opened with. Holding the root keeps the whole
// hive alive, so a handle outlives the hive's owner safely.
struct OpenKey {
  std::shared_ptr<RegistryKey> root;
  std::shared_ptr<RegistryKey> key;
  REGSAM access;
};

// The functions below expect the registry lock to be held.

// A new handle for key. Handle values are never reused, so a closed handle stays invalid.
HKEY AddKeyHandle(OpenKey key);

// The open key behind handle: ERROR_INVALID_HANDLE for a null, closed or unknown handle,
// ERROR_KEY_DELETED when the key has been deleted since it was opened.
LSTATUS FindKeyHandle(HKEY handle, const OpenKey** key);

// Closes handle: ERROR_INVALID_HANDLE when it is not open.
LSTATUS RemoveKeyHandle(HKEY handle);
