// PolicyObject: one group policy object opened from the directory with its registry settings
// loaded; hands out the registry root of either half and saves the policy.
#pragma once

#include <windows.h>
// gpedit.h names property sheet pages without including their header.
#include <prsht.h>
#include <gpedit.h>

#include "policy/com_ref.h"

class PolicyObject {
 public:
  // Opens the policy with this distinguished name on DirectoryServer (or the platform's choice
  // of server). Raises an HresultError with the platform's HRESULT, or E_POINTER when the class
  // hands out no interface.
  explicit PolicyObject(LPCWSTR distinguished_name);
  PolicyObject(const PolicyObject&) = delete;
  PolicyObject& operator=(const PolicyObject&) = delete;

  // The registry root of a half (GPO_SECTION_MACHINE or GPO_SECTION_USER), owned by the caller,
  // who closes it; it may be null. Raises an HresultError when the policy refuses it.
  HKEY GetRegistryKey(DWORD section) const;

  // Saves the machine or the user half, recording the registry extension as added (or, with
  // add false, removed). Returns the save's HRESULT; raises nothing.
  HRESULT SaveRegistry(bool machine, bool add) const;

 private:
  ComRef<IGroupPolicyObject> policy_;
};
