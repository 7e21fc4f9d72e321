// A policy's container in the directory (groupPolicyContainer): where its files are, its
// version and its extension names, read in one request (or taken from the search that found
// the policy) and written back in one.
#pragma once

#include <memory>
#include <string>

#include <windows.h>

class LdapConnection;
struct DirectoryEntry;

class PolicyContainer {
 public:
  // Reads the container an ADSI path names ("LDAP://[server/]<dn>") over the connection the
  // LDAP provider keeps for that server, unless a search still open there fetched it with every
  // attribute read here (the policy lookup asks for them). A malformed path gives
  // E_ADS_BAD_PATHNAME; an object without gPCFileSysPath (not a policy)
  // E_ADS_PROPERTY_NOT_FOUND; a versionNumber that is no 32-bit number
  // HRESULT_FROM_WIN32(ERROR_INVALID_DATA), since raising it would be guesswork.
  static HRESULT Open(const OLECHAR* ads_path, std::unique_ptr<PolicyContainer>* container);
  ~PolicyContainer();

  // Reads the attributes again, with the same failures as Open, so that what is written back
  // starts from what the directory holds now; on failure the last values stay.
  HRESULT Refresh();

  const std::string& file_sys_path() const { return file_sys_path_; }
  // The domain controller the directory connection is bound to, where SYSVOL is reached too.
  const std::string& host() const;
  DWORD version() const { return version_; }
  const std::string& extension_names(bool machine) const {
    return machine ? machine_extension_names_ : user_extension_names_;
  }

  // Whether the bound user may write what Update writes for the half, as the directory said at
  // the last read (allowedAttributesEffective); a server that lists nothing allows nothing.
  bool MayUpdate(bool machine) const { return machine ? may_update_machine_ : may_update_user_; }

  // Replaces versionNumber and the half's extension names in one modify request, so the
  // directory never holds one without the other. Empty names remove the attribute. The
  // request removes the values as last read while it adds the new ones, so it changes nothing
  // when another writer changed either since: that gives a result ChangedMeanwhile tells, and
  // the caller reads the container again (Refresh) and starts over from what it holds now.
  HRESULT Update(DWORD version, bool machine, const std::string& extension_names);
  static bool ChangedMeanwhile(HRESULT update_result);

 private:
  PolicyContainer() = default;
  HRESULT Take(const DirectoryEntry& entry);

  std::shared_ptr<LdapConnection> connection_;
  std::string dn_;
  std::string file_sys_path_;
  DWORD version_ = 0;
  std::string version_text_;  // as the directory wrote it; empty when it had none
  std::string machine_extension_names_;
  std::string user_extension_names_;
  bool may_update_machine_ = false;
  bool may_update_user_ = false;
};
