// A stand-in for the group policy object class in unit tests: it takes the class's place (in the
// Linux platform's COM class table; on Windows, registered with CoRegisterClassObject), records
// what it is asked and answers as the test sets it up.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "policy/policy_object.h"

struct FakeGroupPolicyObject : IGroupPolicyObject {
  // How the fake answers.
  HRESULT create_result = S_OK;  // of CoCreateInstance
  bool hand_out_object = true;   // false: creation succeeds but yields no object
  bool offer_policy_interface = true;
  HRESULT open_result = S_OK;
  HRESULT key_result = S_OK;
  HKEY key = reinterpret_cast<HKEY>(0x1234);
  HRESULT save_result = S_OK;

  // What it was asked, in order, as readable text ("OpenDSGPO LDAP://...", "Save 1 1" ...).
  std::vector<std::string> calls;
  GUID saved_extension{};
  GUID saved_tool{};
  LONG references = 0;
  // Called when the last reference goes, for tests of the order things are let go in.
  std::function<void()> on_last_release;
  DWORD registration = 0;  // CoRegisterClassObject's cookie (Windows)

  // Registers this fake as the group policy object class until it is destroyed or withdrawn.
  FakeGroupPolicyObject();
  ~FakeGroupPolicyObject();
  // Withdraws the class, so that CoCreateInstance finds none.
  void Withdraw();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE OpenDSGPO(LPOLESTR path, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE GetRegistryKey(DWORD section, HKEY* key_out) override;
  HRESULT STDMETHODCALLTYPE Save(BOOL machine, BOOL add, GUID* extension, GUID* tool) override;

  HRESULT STDMETHODCALLTYPE New(LPOLESTR, LPOLESTR, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OpenLocalMachineGPO(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OpenRemoteMachineGPO(LPOLESTR, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Delete() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetName(LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDisplayName(LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetDisplayName(LPOLESTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPath(LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDSPath(DWORD, LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFileSysPath(DWORD, LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetOptions(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetOptions(DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetType(GROUP_POLICY_OBJECT_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMachineName(LPOLESTR, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPropertySheetPages(HPROPSHEETPAGE**, UINT*) override {
    return E_NOTIMPL;
  }
};

// Wide text as UTF-8, for messages and recorded calls.
std::string Narrow(const OLECHAR* text);
