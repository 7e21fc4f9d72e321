// The LDAP connection and object an ADSI path names, for the platform's classes that work on
// the directory beside ADSI: the group policy object class reads and changes a policy
// container over this connection and reaches SYSVOL on the same domain controller.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <windows.h>

#include "directory_entry.h"
#include "ldap_connection.h"

struct DirectoryBinding {
  // Shared with every ADSI object on the same server; handle() for LDAP calls, Check() for
  // their results, host() for the domain controller's DNS name.
  std::shared_ptr<LdapConnection> connection;
  std::string dn;  // in LDAP's string form; empty for the root DSE
  // The object's attributes when the bind had them already: the root DSE on a connection made
  // by this bind, read moments before. Its object then needs no read of its own.
  std::optional<DirectoryEntry> entry;
};

// Parses the path ("LDAP://[server[:port]/](rootDSE | DN)"; E_ADS_BAD_PATHNAME), connects to
// its server (or reuses the connection) and checks that the object exists, as ADsGetObject
// does.
HRESULT BindDirectoryPath(const OLECHAR* ads_path, DirectoryBinding* binding);
