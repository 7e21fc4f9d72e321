// An opened group policy object: its container in the directory, its folder on SYSVOL and the
// registry settings of its two halves, with the save that writes one half back.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <objbase.h>

#include "gpo/deferred_termination.h"
#include "gpo/policy_container.h"
#include "gpo/policy_folder.h"
#include "gpo/retry_schedule.h"
#include "gpo/smb_file.h"
#include "gpo/smb_session.h"
#include "registry/hive.h"

class PolicyStore {
 public:
  // Reads the container (one directory search); with hold, takes the policy for this store
  // alone (below) and reads GPT.INI; with load_registry, reads both halves' Registry.pol. A
  // missing file is an empty half; a malformed one fails the open with
  // HRESULT_FROM_WIN32(ERROR_INVALID_DATA), so it can never be overwritten by an empty hive.
  //
  // Holding keeps two imports into one policy from reading the same files and each writing
  // back only its own settings: the store keeps GPT.INI open against other writers
  // (SmbSession::OpenHeld) from before Registry.pol is read until the store goes, so every
  // other store that would hold the policy waits, as wait says, and then fails with
  // HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION) without having changed anything. Only opens
  // that hold are kept out; programs that write a policy without opening GPT.INI so are not.
  // A user refused write access to GPT.INI gets the store without the hold, and
  // E_ACCESSDENIED from Save.
  static HRESULT Open(const OLECHAR* ads_path, bool load_registry, bool hold,
                      const RetrySchedule& wait, std::unique_ptr<PolicyStore>* store);

  // Lets the policy go. A GPT.INI the hold had to create is removed again unless a save wrote
  // it, so a failed run leaves a policy without one as it was.
  ~PolicyStore();
  PolicyStore(const PolicyStore&) = delete;
  PolicyStore& operator=(const PolicyStore&) = delete;

  // A new handle to the half's root key; E_FAIL when the registry was not loaded.
  HRESULT OpenRegistryRoot(bool machine, HKEY* key) const;

  // From the save on, a signal to end the process waits until the store goes: the save is
  // finished, or undone while Registry.pol is still being written, and a GPT.INI the hold
  // created is removed, before the process ends (DeferredTermination).
  //
  // Writes the half's Registry.pol, the raised version to GPT.INI, and versionNumber and the
  // half's extension names with the pair added (or removed); E_FAIL for a store that does not
  // hold its policy. The directory change starts from the container as the open read it and
  // holds only while the directory still has that (PolicyContainer::Update); when other tools
  // wrote to it since, it is read again and what they wrote is kept (GPT.INI is rewritten
  // should the version come out otherwise). Everything that can refuse the save without writing (a
  // user the directory does not let write versionNumber and the half's extension names,
  // E_ACCESSDENIED; a malformed extension-names value, a GPT.INI that is not ANSI) is checked
  // first; Registry.pol is replaced whole, never left half-written, and GPT.INI, which cannot be
  // replaced while it is held, is rewritten through the held handle (SmbFile::Rewrite). Should a
  // later step fail, the settings already written stay and the failure is returned: a retry raises
  // the version from the larger of both values again, so clients still see the change.
  HRESULT Save(bool machine, bool add, const GUID& extension, const GUID& tool);

 private:
  struct Half {
    std::unique_ptr<RegistryHive> hive;
    PolicyFile file;  // Registry.pol's location; its contents are dropped once loaded
  };

  // What the save writes to the container.
  struct DirectoryChange {
    DWORD version = 0;
    std::string names;  // the half's extension names
  };

  PolicyStore() = default;
  HRESULT Hold(const RetrySchedule& wait);
  HRESULT PlanDirectoryChange(bool machine, bool add, const GUID& extension, const GUID& tool,
                              DWORD file_version, DirectoryChange* change) const;
  HRESULT RewriteGptIni(DWORD version);
  HRESULT LoadHalf(const char* folder_name, Half* half);

  // First, so that it goes last: a held-back signal ends the process only once the store's own
  // clean-up is done.
  std::optional<DeferredTermination> termination_;
  std::unique_ptr<PolicyContainer> container_;
  std::unique_ptr<SmbSession> session_;
  std::unique_ptr<PolicyFolder> folder_;
  // Declared after the session, so the handle is closed before the session goes.
  std::unique_ptr<SmbFile> held_gpt_ini_;
  std::string gpt_ini_;  // GPT.INI as read when the policy was taken, then as last rewritten
  std::string created_gpt_ini_url_;  // set while a GPT.INI the hold created is still unwritten
  HRESULT hold_refusal_ = S_OK;
  Half machine_;
  Half user_;
};
