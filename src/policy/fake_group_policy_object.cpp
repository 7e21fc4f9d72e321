#include "policy/fake_group_policy_object.h"

#include "com/class_table.h"

namespace {

FakeGroupPolicyObject* current_fake = nullptr;

HRESULT CreateCurrentFake(REFIID riid, void** object) {
  *object = nullptr;
  if (FAILED(current_fake->create_result)) return current_fake->create_result;
  if (!current_fake->hand_out_object) return S_OK;
  return current_fake->QueryInterface(riid, object);
}

}  // namespace

FakeGroupPolicyObject::FakeGroupPolicyObject() {
  current_fake = this;
  RegisterComClass(CLSID_GroupPolicyObject, &CreateCurrentFake);
}

FakeGroupPolicyObject::~FakeGroupPolicyObject() {
  UnregisterComClass(CLSID_GroupPolicyObject);
  current_fake = nullptr;
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
  std::string result;
  for (; *text != 0; ++text) {
    char32_t c = *text;
    if (c < 0x80) {
      result += static_cast<char>(c);
    } else if (c < 0x800) {
      result += static_cast<char>(0xC0 | (c >> 6));
      result += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      result += static_cast<char>(0xE0 | (c >> 12));
      result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      result += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return result;
}
