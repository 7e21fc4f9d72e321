// One directory entry as the server sent it: its DN and each attribute's values as raw bytes,
// copied out of libldap's message so nothing depends on the message's lifetime.
#pragma once

#include <ldap.h>

#include <string>
#include <string_view>
#include <vector>

struct DirectoryAttribute {
  std::string name;
  std::vector<std::string> values;
};

struct DirectoryEntry {
  std::string dn;
  std::vector<DirectoryAttribute> attributes;

  // Attribute names compare without case; null when the entry has no such attribute.
  const DirectoryAttribute* Find(std::string_view name) const;

  static DirectoryEntry FromMessage(LDAP* ldap, LDAPMessage* message);
};

// Reads the entry at dn (empty for the root DSE) with the attributes named (null: all user
// attributes; {LDAP_NO_ATTRS, nullptr}: none). Returns the LDAP result code.
int ReadEntry(LDAP* ldap, const std::string& dn, char** attributes, DirectoryEntry* entry);
