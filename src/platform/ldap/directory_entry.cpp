#include "directory_entry.h"

#include <memory>

#include "directory_text.h"
#include "system/ascii_text.h"

namespace {

struct MessageFree {
  void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
using UniqueMessage = std::unique_ptr<LDAPMessage, MessageFree>;

DirectoryAttribute ReadAttribute(LDAP* ldap, LDAPMessage* message, const char* name) {
  DirectoryAttribute attribute{name, {}};
  berval** values = ldap_get_values_len(ldap, message, name);
  if (values == nullptr) return attribute;
  for (berval** value = values; *value != nullptr; ++value) {
    attribute.values.emplace_back((*value)->bv_val, (*value)->bv_len);
  }
  ldap_value_free_len(values);
  return attribute;
}

}  // namespace

const DirectoryAttribute* DirectoryEntry::Find(std::string_view name) const {
  for (const DirectoryAttribute& attribute : attributes) {
    if (SameIgnoringAsciiCase(attribute.name, name)) return &attribute;
  }
  return nullptr;
}

DirectoryEntry DirectoryEntry::FromMessage(LDAP* ldap, LDAPMessage* message) {
  DirectoryEntry entry;
  if (char* dn = ldap_get_dn(ldap, message)) {
    entry.dn = dn;
    ldap_memfree(dn);
  }
  BerElement* position = nullptr;
  for (char* name = ldap_first_attribute(ldap, message, &position); name != nullptr;
       name = ldap_next_attribute(ldap, message, position)) {
    entry.attributes.push_back(ReadAttribute(ldap, message, name));
    ldap_memfree(name);
  }
  if (position != nullptr) ber_free(position, 0);
  return entry;
}

int ReadEntry(LDAP* ldap, const std::string& dn, char** attributes, DirectoryEntry* entry) {
  LDAPMessage* raw = nullptr;
  int result = ldap_search_ext_s(ldap, dn.c_str(), LDAP_SCOPE_BASE, "(objectClass=*)", attributes,
                                 0, nullptr, nullptr, nullptr, LDAP_NO_LIMIT, &raw);
  UniqueMessage message(raw);
  if (result != LDAP_SUCCESS) return result;
  LDAPMessage* found = ldap_first_entry(ldap, message.get());
  if (found == nullptr) return LDAP_NO_SUCH_OBJECT;
  *entry = DirectoryEntry::FromMessage(ldap, found);
  return LDAP_SUCCESS;
}
