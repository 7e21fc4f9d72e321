#include "gpo/policy_container.h"

#include <activeds.h>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

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
char* kAttributes[] = {kFileSysPath,        kVersionNumber,      kMachineExtensionNames,
                       kUserExtensionNames, kWritableAttributes, nullptr};

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

// The changes that take an attribute from the value last read (none: empty) to the new one
// (none: empty): the old value's removal, which fails when the directory no longer holds it,
// and the new value's addition, which fails when another value is there.
class ConditionalChange {
 public:
  ConditionalChange(char* attribute, const std::string& old_value, const std::string& new_value)
      : old_value_(old_value), new_value_(new_value) {
    removal_ = {LDAP_MOD_DELETE, attribute, {old_values_}};
    addition_ = {LDAP_MOD_ADD, attribute, {new_values_}};
  }
  ConditionalChange(const ConditionalChange&) = delete;
  ConditionalChange& operator=(const ConditionalChange&) = delete;

  void AppendTo(std::vector<LDAPMod*>* changes) {
    if (!old_value_.empty()) changes->push_back(&removal_);
    if (!new_value_.empty()) changes->push_back(&addition_);
  }

 private:
  std::string old_value_;
  std::string new_value_;
  char* old_values_[2] = {old_value_.data(), nullptr};
  char* new_values_[2] = {new_value_.data(), nullptr};
  LDAPMod removal_;
  LDAPMod addition_;
};

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
  DirectoryEntry found;
  const std::vector<std::string_view> names(std::begin(kAttributes), std::end(kAttributes) - 1);
  result = opened->connection_->FindFetched(opened->dn_, names, &found) ? opened->Take(found)
                                                                        : opened->Refresh();
  if (FAILED(result)) return result;
  *container = std::move(opened);
  return S_OK;
}

HRESULT PolicyContainer::Refresh() {
  DirectoryEntry entry;
  HRESULT result = connection_->Check(ReadEntry(connection_->handle(), dn_, kAttributes, &entry));
  return FAILED(result) ? result : Take(entry);
}

HRESULT PolicyContainer::Take(const DirectoryEntry& entry) {
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
  version_text_ = version != nullptr ? *version : std::string();
  machine_extension_names_ = machine_names != nullptr ? *machine_names : std::string();
  user_extension_names_ = user_names != nullptr ? *user_names : std::string();
  const DirectoryAttribute* writable = entry.Find(kWritableAttributes);
  may_update_machine_ = Lists(writable, kVersionNumber) && Lists(writable, kMachineExtensionNames);
  may_update_user_ = Lists(writable, kVersionNumber) && Lists(writable, kUserExtensionNames);
  return S_OK;
}

HRESULT PolicyContainer::Update(DWORD version, bool machine, const std::string& extension_names) {
  std::string version_text = FormatContainerVersion(version);
  ConditionalChange version_change(kVersionNumber, version_text_, version_text);
  ConditionalChange names_change(machine ? kMachineExtensionNames : kUserExtensionNames,
                                 machine ? machine_extension_names_ : user_extension_names_,
                                 extension_names);
  std::vector<LDAPMod*> changes;
  version_change.AppendTo(&changes);
  names_change.AppendTo(&changes);
  changes.push_back(nullptr);
  HRESULT result = connection_->Check(
      ldap_modify_ext_s(connection_->handle(), dn_.c_str(), changes.data(), nullptr, nullptr));
  if (FAILED(result)) return result;
  version_ = version;
  version_text_ = std::move(version_text);
  (machine ? machine_extension_names_ : user_extension_names_) = extension_names;
  return S_OK;
}

bool PolicyContainer::ChangedMeanwhile(HRESULT update_result) {
  return update_result == HRESULT_FROM_WIN32(ERROR_DS_NO_ATTRIBUTE_OR_VALUE) ||
         update_result == HRESULT_FROM_WIN32(ERROR_DS_ATTRIBUTE_OR_VALUE_EXISTS);
}
