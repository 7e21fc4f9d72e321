#include "fake_group_policy_object.h"

#ifndef _WIN32
#include "com/class_table.h"
#endif

namespace {

FakeGroupPolicyObject* current_fake = nullptr;

HRESULT CreateCurrentFake(REFIID riid, void** object) {
  *object = nullptr;
  if (FAILED(current_fake->create_result)) return current_fake->create_result;
  if (!current_fake->hand_out_object) return S_OK;
  return current_fake->QueryInterface(riid, object);
}

#ifdef _WIN32
// The class object COM hands CoCreateInstance; it lives as long as the process.
struct FakeClassFactory : IClassFactory {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid != IID_IUnknown && riid != IID_IClassFactory) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return CreateCurrentFake(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
} fake_class_factory;
#endif

}  // namespace

FakeGroupPolicyObject::FakeGroupPolicyObject() {
  current_fake = this;
#ifdef _WIN32
  // Registering needs COM on this thread, and the fake may be made before the test's own
  // CoInitialize.
  CoInitialize(nullptr);
  CoRegisterClassObject(CLSID_GroupPolicyObject, &fake_class_factory, CLSCTX_INPROC_SERVER,
                        REGCLS_MULTIPLEUSE, &registration);
#else
  RegisterComClass(CLSID_GroupPolicyObject, &CreateCurrentFake);
#endif
}

FakeGroupPolicyObject::~FakeGroupPolicyObject() {
  Withdraw();
  current_fake = nullptr;
#ifdef _WIN32
  CoUninitialize();
#endif
}

void FakeGroupPolicyObject::Withdraw() {
#ifdef _WIN32
  if (registration != 0) CoRevokeClassObject(registration);
  registration = 0;
#else
  UnregisterComClass(CLSID_GroupPolicyObject);
#endif
}

HRESULT FakeGroupPolicyObject::QueryInterface(REFIID riid, void** object) {
  bool offered = riid == IID_IUnknown || (riid == IID_IGroupPolicyObject && offer_policy_interface);
  if (!offered) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IGroupPolicyObject*>(this);
  AddRef();
  return S_OK;
}

ULONG FakeGroupPolicyObject::Release() {
  if (--references == 0 && on_last_release) on_last_release();
  return static_cast<ULONG>(references);
}

HRESULT FakeGroupPolicyObject::OpenDSGPO(LPOLESTR path, DWORD flags) {
  calls.push_back("OpenDSGPO " + Narrow(path) + " " + std::to_string(flags));
  return open_result;
}

HRESULT FakeGroupPolicyObject::GetRegistryKey(DWORD section, HKEY* key_out) {
  calls.push_back("GetRegistryKey " + std::to_string(section));
  *key_out = SUCCEEDED(key_result) ? key : nullptr;
  return key_result;
}

HRESULT FakeGroupPolicyObject::Save(BOOL machine, BOOL add, GUID* extension, GUID* tool) {
  calls.push_back("Save " + std::to_string(machine) + " " + std::to_string(add));
  saved_extension = *extension;
  saved_tool = *tool;
  return save_result;
}

std::string Narrow(const OLECHAR* text) {
  if (text == nullptr) return "(null)";
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string result(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], size, nullptr, nullptr);
  result.pop_back();  // the terminator
  return result;
}
