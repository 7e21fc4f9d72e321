#include "hive.h"

#include "key_handles.h"
#include "registry_key.h"
#include "registry_pol.h"

RegistryHive::RegistryHive() : root_(RegistryKey::CreateRoot()) {}

HRESULT RegistryHive::Load(const BYTE* data, size_t size, std::unique_ptr<RegistryHive>* hive) {
  auto loaded = std::make_unique<RegistryHive>();
  LSTATUS status = ReadRegistryPol(data, size, *loaded->root_);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  *hive = std::move(loaded);
  return S_OK;
}

std::string RegistryHive::Save() const {
  auto lock = LockRegistry();
  return WriteRegistryPol(*root_);
}

HKEY RegistryHive::OpenRoot() const {
  auto lock = LockRegistry();
  return AddKeyHandle(OpenKey{root_, root_, KEY_ALL_ACCESS});
}
