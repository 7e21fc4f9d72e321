#include "gpo/group_policy_object.h"

#include <new>

#include "system/guarded.h"

HRESULT GroupPolicyObject::Create(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  GroupPolicyObject* created = new (std::nothrow) GroupPolicyObject;
  if (created == nullptr) return E_OUTOFMEMORY;
  HRESULT result = created->QueryInterface(riid, object);
  created->Release();
  return result;
}

HRESULT GroupPolicyObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid != IID_IUnknown && riid != IID_IGroupPolicyObject) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IGroupPolicyObject*>(this);
  AddRef();
  return S_OK;
}

ULONG GroupPolicyObject::AddRef() {
  return ++references_;
}

ULONG GroupPolicyObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT GroupPolicyObject::OpenDSGPO(LPOLESTR pszPath, DWORD dwFlags) {
  if (pszPath == nullptr) return E_INVALIDARG;
  // The policy held so far is let go first: opening the same one again would wait on itself.
  store_.reset();
  return GuardedHresult([&] {
    const bool read_only = (dwFlags & GPO_OPEN_READ_ONLY) != 0;
    HRESULT result = PolicyStore::Open(pszPath, (dwFlags & GPO_OPEN_LOAD_REGISTRY) != 0, !read_only,
                                       RetrySchedule::ForPolicyLock(), &store_);
    if (FAILED(result)) return result;
    read_only_ = read_only;
    return S_OK;
  });
}

HRESULT GroupPolicyObject::GetRegistryKey(DWORD dwSection, HKEY* hKey) {
  if (hKey == nullptr) return E_POINTER;
  *hKey = nullptr;
  if (dwSection != GPO_SECTION_MACHINE && dwSection != GPO_SECTION_USER) return E_INVALIDARG;
  if (!store_) return E_FAIL;
  return GuardedHresult(
      [&] { return store_->OpenRegistryRoot(dwSection == GPO_SECTION_MACHINE, hKey); });
}

HRESULT GroupPolicyObject::Save(BOOL bMachine, BOOL bAdd, GUID* pGuidExtension, GUID* pGuid) {
  if (pGuidExtension == nullptr || pGuid == nullptr) return E_POINTER;
  if (!store_) return E_FAIL;
  if (read_only_) return E_ACCESSDENIED;
  return GuardedHresult(
      [&] { return store_->Save(bMachine != FALSE, bAdd != FALSE, *pGuidExtension, *pGuid); });
}
