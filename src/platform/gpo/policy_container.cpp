#include "gpo/policy_container.h"

#include <activeds.h>

#include <algorithm>
#include <string_view>

#include "gpo/policy_version.h"
#include "ldap/ads_path.h"
#include "ldap/directory_entry.h"
#include "ldap/ldap_connection.h"
#include "system/ascii_text.h"

namespace {

char kFileSysPath[] = "gPCFileSysPath";
char kVersionNumber[] = "versionNumber";
char kMachineExtensionNames[] = "gPCMachineExtensionNames";
char kUserExtensionNames[] = "gPCUserExtensionNames";
// Constructed by Active Directory for the bound user: the attributes they may write here.
char kWritableAttributes[] = "allowedAttributesEffective";

// The attribute's first value, or nothing when the entry lacks it. Each is single-valued in the
// schema; a server sending more is not trusted to have meant any other.
const std::string* FirstValue(const DirectoryEntry& entry, std::string_view name) {
  const DirectoryAttribute* attribute = entry.Find(name);
  return attribute == nullptr || attribute->values.empty() ? nullptr : &attribute->values[0];
}

bool Lists(const DirectoryAttribute* names, std::string_view name) {
  return names != nullptr &&
         std::any_of(names->values.begin(), names->values.end(), [&](const std::string& listed) {
           return SameIgnoringAsciiCase(listed, name);
         });
}

}  // namespace

PolicyContainer::~PolicyContainer() = default;

const std::string& PolicyContainer::host() const {
  return connection_->host();
}

HRESULT PolicyContainer::Open(const OLECHAR* ads_path,
                              std::unique_ptr<PolicyContainer>* container) {
  AdsPath path;
  if (!ParseAdsPath(std::u16string_view(ads_path), &path) || path.root_dse)
    return E_ADS_BAD_PATHNAME;
  std::unique_ptr<PolicyContainer> opened(new PolicyContainer);
  HRESULT result =
      LdapConnection::Get(path.ServerUri(LdapConnection::ConfiguredUri()), &opened->connection_);
  if (FAILED(result)) return result;
  opened->dn_ = std::move(path.dn);
  result = opened->Refresh();
  if (FAILED(result)) return result;
  *container = std::move(opened);
  return S_OK;
}

HRESULT PolicyContainer::Refresh() {
  char* attributes[] = {kFileSysPath,        kVersionNumber,      kMachineExtensionNames,
                        kUserExtensionNames, kWritableAttributes, nullptr};
  DirectoryEntry entry;
  HRESULT result = connection_->Check(ReadEntry(connection_->handle(), dn_, attributes, &entry));
  if (FAILED(result)) return result;

  const std::string* file_sys_path = FirstValue(entry, kFileSysPath);
  if (file_sys_path == nullptr) return E_ADS_PROPERTY_NOT_FOUND;
  const std::string* version = FirstValue(entry, kVersionNumber);
  DWORD version_value = 0;
  if (version != nullptr && !ParseContainerVersion(*version, &version_value)) {
    return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  }
  const std::string* machine_names = FirstValue(entry, kMachineExtensionNames);
  const std::string* user_names = FirstValue(entry, kUserExtensionNames);
  file_sys_path_ = *file_sys_path;
  version_ = version_value;
  machine_extension_names_ = machine_names != nullptr ? *machine_names : std::string();
  user_extension_names_ = user_names != nullptr ? *user_names : std::string();
  const DirectoryAttribute* writable = entry.Find(kWritableAttributes);
  may_update_machine_ = Lists(writable, kVersionNumber) && Lists(writable, kMachineExtensionNames);
  may_update_user_ = Lists(writable, kVersionNumber) && Lists(writable, kUserExtensionNames);
  return S_OK;
}

HRESULT PolicyContainer::Update(DWORD version, bool machine, const std::string& extension_names) {
  std::string version_text = FormatContainerVersion(version);
  std::string names_text = extension_names;
  char* version_values[] = {version_text.data(), nullptr};
  char* names_values[] = {names_text.data(), nullptr};
  LDAPMod version_change = {LDAP_MOD_REPLACE, kVersionNumber, {version_values}};
  LDAPMod names_change = {LDAP_MOD_REPLACE,
                          machine ? kMachineExtensionNames : kUserExtensionNames,
                          {names_text.empty() ? nullptr : names_values}};
  LDAPMod* changes[] = {&version_change, &names_change, nullptr};
  HRESULT result = connection_->Check(
      ldap_modify_ext_s(connection_->handle(), dn_.c_str(), changes, nullptr, nullptr));
  if (FAILED(result)) return result;
  version_ = version;
  (machine ? machine_extension_names_ : user_extension_names_) = extension_names;
  return S_OK;
}
