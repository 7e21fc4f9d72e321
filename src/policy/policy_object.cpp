#include "policy/policy_object.h"

#include <string>

#include "common/directory_server.h"
#include "common/hresult_error.h"
#include "policy/built_string.h"

namespace {

// The tool recorded beside the registry extension when a half is saved: the one policy editors
// record for settings written this way. (The Windows SDK's CLSID_GPESnapIn is another GUID, so
// the value is spelled out here to keep both builds writing the same.)
const GUID kRegistrySettingsTool = {
    0x0f6b957e, 0x509e, 0x11d1, {0xa7, 0xcc, 0x00, 0x00, 0xf8, 0x75, 0x71, 0xe3}};

// The distinguished name goes into the path as the directory gave it.
UniqueBstr PolicyPath(LPCWSTR distinguished_name) {
  UniqueBstr base = OwnBuiltString(DirectoryBasePath());
  const size_t length =
      distinguished_name == nullptr ? 0 : std::char_traits<OLECHAR>::length(distinguished_name);
  return OwnBuiltString(JoinBstr(base.get(), distinguished_name, static_cast<UINT>(length)));
}

}  // namespace

PolicyObject::PolicyObject(LPCWSTR distinguished_name) {
  UniqueBstr path = PolicyPath(distinguished_name);
  ComRef<IUnknown> object;
  ThrowIfFailed(
      CoCreateInstance(CLSID_GroupPolicyObject, nullptr, CLSCTX_ALL, IID_IUnknown, object.put()));
  if (!object) throw HresultError{E_POINTER};
  object->QueryInterface(IID_IGroupPolicyObject, policy_.put());
  if (!policy_) throw HresultError{E_POINTER};
  ThrowIfFailed(policy_->OpenDSGPO(path.get(), GPO_OPEN_LOAD_REGISTRY));
}

HKEY PolicyObject::GetRegistryKey(DWORD section) const {
  HKEY key = nullptr;
  ThrowIfFailed(policy_->GetRegistryKey(section, &key));
  return key;
}

HRESULT PolicyObject::SaveRegistry(bool machine, bool add) const {
  GUID extension = REGISTRY_EXTENSION_GUID;
  GUID tool = kRegistrySettingsTool;
  return policy_->Save(machine ? TRUE : FALSE, add ? TRUE : FALSE, &extension, &tool);
}
