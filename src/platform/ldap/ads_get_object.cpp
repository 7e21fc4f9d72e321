// ADsGetObject for the LDAP provider, and the identifiers of the interfaces it hands out.
#include <activeds.h>

#include "directory_binding.h"
#include "directory_object.h"
#include "system/guarded.h"

const IID IID_IADs = {0xFD8256D0, 0xFD15, 0x11CE, {0xAB, 0xC4, 0x02, 0x60, 0x8C, 0x9E, 0x75, 0x53}};
const IID IID_IDirectorySearch = {
    0x109BA8EC, 0x92F0, 0x11D0, {0xA7, 0x90, 0x00, 0xC0, 0x4F, 0xD8, 0xD5, 0xA8}};

HRESULT WINAPI ADsGetObject(LPCWSTR lpszPathName, REFIID riid, VOID** ppObject) {
  if (ppObject == nullptr) return E_POINTER;
  *ppObject = nullptr;
  return GuardedHresult([&] {
    DirectoryBinding binding;
    HRESULT hr = BindDirectoryPath(lpszPathName, &binding);
    if (FAILED(hr)) return hr;
    auto* object = new DirectoryObject(std::move(binding));
    hr = object->QueryInterface(riid, ppObject);
    object->Release();
    return hr;
  });
}
