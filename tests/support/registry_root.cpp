#include "registry_root.h"

#ifdef _WIN32

#include <atomic>
#include <string>

struct ScratchRegistryRoot::Store {
  std::string path;
};

namespace {

std::atomic<unsigned> roots_made{0};

}  // namespace

ScratchRegistryRoot::ScratchRegistryRoot() : store_(std::make_unique<Store>()) {
  store_->path = "Software\\regweave-test\\" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(roots_made++);
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, store_->path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegCloseKey(key);
  }
}

ScratchRegistryRoot::~ScratchRegistryRoot() {
  RegDeleteTreeA(HKEY_CURRENT_USER, store_->path.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, store_->path.c_str());
}

HKEY ScratchRegistryRoot::Open() const {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, store_->path.c_str(), 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

#else

#include "registry/hive.h"

struct ScratchRegistryRoot::Store {
  RegistryHive hive;
};

ScratchRegistryRoot::ScratchRegistryRoot() : store_(std::make_unique<Store>()) {}

ScratchRegistryRoot::~ScratchRegistryRoot() = default;

HKEY ScratchRegistryRoot::Open() const {
  return store_->hive.OpenRoot();
}

#endif
