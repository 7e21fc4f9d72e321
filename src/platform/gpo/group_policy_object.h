// The group policy object class (CLSID_GroupPolicyObject): IGroupPolicyObject over a policy in
// the directory, with OpenDSGPO, GetRegistryKey and Save; the other methods are not offered.
#pragma once

#include <atomic>
#include <memory>

#include <gpedit.h>

#include "gpo/policy_store.h"

class GroupPolicyObject final : public IGroupPolicyObject {
 public:
  // The class factory's creation: a new object with one reference, asked for riid.
  static HRESULT Create(REFIID riid, void** object);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE New(LPOLESTR, LPOLESTR, DWORD) override { return E_NOTIMPL; }
  // Opens the policy at an ADSI path, holding it against other writers unless the open is
  // GPO_OPEN_READ_ONLY (PolicyStore::Open); a policy another object holds is waited for up to
  // a minute, then refused with HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION). A second open
  // lets go of the first policy before it starts, also when it then fails.
  HRESULT STDMETHODCALLTYPE OpenDSGPO(LPOLESTR pszPath, DWORD dwFlags) override;
  HRESULT STDMETHODCALLTYPE OpenLocalMachineGPO(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OpenRemoteMachineGPO(LPOLESTR, DWORD) override { return E_NOTIMPL; }
  // Refused with E_ACCESSDENIED when the policy was opened with GPO_OPEN_READ_ONLY.
  HRESULT STDMETHODCALLTYPE Save(BOOL bMachine, BOOL bAdd, GUID* pGuidExtension,
                                 GUID* pGuid) override;
  HRESULT STDMETHODCALLTYPE Delete() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetName(LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDisplayName(LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetDisplayName(LPOLESTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPath(LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDSPath(DWORD, LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFileSysPath(DWORD, LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRegistryKey(DWORD dwSection, HKEY* hKey) override;
  HRESULT STDMETHODCALLTYPE GetOptions(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetOptions(DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetType(GROUP_POLICY_OBJECT_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMachineName(LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPropertySheetPages(HPROPSHEETPAGE**, UINT*) override {
    return E_NOTIMPL;
  }

 private:
  GroupPolicyObject() = default;
  ~GroupPolicyObject() = default;

  std::atomic<ULONG> references_{1};
  std::unique_ptr<PolicyStore> store_;
  bool read_only_ = false;
};
