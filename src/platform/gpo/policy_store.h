// An opened group policy object: its container in the directory, its folder on SYSVOL and the
// registry settings of its two halves, with the save that writes one half back.
#pragma once

#include <memory>
#include <string>

#include <objbase.h>

#include "gpo/policy_container.h"
#include "gpo/policy_folder.h"
#include "gpo/smb_session.h"
#include "registry/hive.h"

class PolicyStore {
 public:
  // Reads the container (one directory search) and, with load_registry, both halves'
  // Registry.pol. A missing file is an empty half; a malformed one fails the open with
  // HRESULT_FROM_WIN32(ERROR_INVALID_DATA), so it can never be overwritten by an empty hive.
  static HRESULT Open(const OLECHAR* ads_path, bool load_registry,
                      std::unique_ptr<PolicyStore>* store);

  // A new handle to the half's root key; E_FAIL when the registry was not loaded.
  HRESULT OpenRegistryRoot(bool machine, HKEY* key) const;

  // Writes the half's Registry.pol, then the raised version to GPT.INI, then versionNumber and
  // the half's extension names with the pair added (or removed). Everything that can refuse
  // the save without writing (a malformed extension-names value, a GPT.INI that is not ANSI)
  // is checked first; each file is replaced whole, never left half-written. Should a later
  // step fail, the settings already written stay and the failure is returned: a retry raises
  // the version from the larger of both values again, so clients still see the change.
  HRESULT Save(bool machine, bool add, const GUID& extension, const GUID& tool);

 private:
  struct Half {
    std::unique_ptr<RegistryHive> hive;
    PolicyFile file;  // Registry.pol's location; its contents are dropped once loaded
  };

  PolicyStore() = default;
  HRESULT LoadHalf(const char* folder_name, Half* half);

  std::unique_ptr<PolicyContainer> container_;
  std::unique_ptr<SmbSession> session_;
  std::unique_ptr<PolicyFolder> folder_;
  Half machine_;
  Half user_;
};
