#include "key_handles.h"

#include <cstdint>
#include <unordered_map>
#include <utility>

namespace {

std::mutex registry_mutex;
std::unordered_map<uintptr_t, OpenKey> open_keys;
// Multiples of 4 like Windows handles, starting well away from null and small integers.
uintptr_t next_handle = 0x10000;

}  // namespace

std::unique_lock<std::mutex> LockRegistry() {
  return std::unique_lock<std::mutex>(registry_mutex);
}

HKEY AddKeyHandle(OpenKey key) {
  uintptr_t handle = next_handle;
  next_handle += 4;
  open_keys.emplace(handle, std::move(key));
  return reinterpret_cast<HKEY>(handle);
}

LSTATUS FindKeyHandle(HKEY handle, const OpenKey** key) {
  auto found = open_keys.find(reinterpret_cast<uintptr_t>(handle));
  if (found == open_keys.end()) return ERROR_INVALID_HANDLE;
  if (found->second.key->deleted()) return ERROR_KEY_DELETED;
  *key = &found->second;
  return ERROR_SUCCESS;
}

LSTATUS RemoveKeyHandle(HKEY handle) {
  return open_keys.erase(reinterpret_cast<uintptr_t>(handle)) ? ERROR_SUCCESS
                                                              : ERROR_INVALID_HANDLE;
}
