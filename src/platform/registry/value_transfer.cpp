#include "value_transfer.h"

#include "key_handles.h"
#include "registry_limits.h"

LSTATUS CopyDataOut(DWORD value_type, const std::vector<BYTE>& data, LPDWORD type, LPBYTE buffer,
                    LPDWORD size) {
  if (type) *type = value_type;
  if (!size) return ERROR_SUCCESS;
  bool fits = data.size() <= *size;
  if (buffer && fits && !data.empty()) std::memcpy(buffer, data.data(), data.size());
  *size = static_cast<DWORD>(data.size());
  return buffer && !fits ? ERROR_MORE_DATA : ERROR_SUCCESS;
}

LSTATUS StoreValue(HKEY handle, const std::u16string& name, DWORD type, std::vector<BYTE> data) {
  const OpenKey* open = nullptr;
  LSTATUS status = FindKeyHandle(handle, &open);
  if (status != ERROR_SUCCESS) return status;
  if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (name.size() > kMaxValueNameLength) return ERROR_FILENAME_EXCED_RANGE;
  // Refused whole rather than cut: Registry.pol cannot hold more.
  if (data.size() > kMaxValueDataSize) return ERROR_FILE_TOO_LARGE;
  open->key->SetValue(name, type, std::move(data));
  return ERROR_SUCCESS;
}

LSTATUS FindSubkeyAt(HKEY handle, DWORD index, const RegistryKey** subkey) {
  const OpenKey* open = nullptr;
  LSTATUS status = FindKeyHandle(handle, &open);
  if (status != ERROR_SUCCESS) return status;
  *subkey = open->key->SubkeyAt(index);
  return *subkey ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS;
}

LSTATUS FindValueAt(HKEY handle, DWORD index, const RegistryValue** value) {
  const OpenKey* open = nullptr;
  LSTATUS status = FindKeyHandle(handle, &open);
  if (status != ERROR_SUCCESS) return status;
  const std::vector<RegistryValue>& values = open->key->values();
  if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
  *value = &values[index];
  return ERROR_SUCCESS;
}
