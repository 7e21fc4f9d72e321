// What a run asks of a policy: how it finds the policy, and which half the scope selects.
#pragma once

#include <memory>

#include <objbase.h>

#include "common/policy_scope.h"
#include "policy/policy_lookup.h"

// Finds the policy by its display name (FindPolicyByDisplayName's shape). Tests hand in a fake.
typedef std::unique_ptr<PolicyObject> (*PolicyFinder)(BSTR display_name, DirectoryBinder bind);

// The half the scope selects: the section asked of the policy, the fragment's root (the index
// into RootKeyNames) and the half to save.
struct PolicyHalf {
  DWORD section;
  UINT root_index;
  bool machine;
};

inline PolicyHalf HalfFor(PolicyScope scope) {
  if (scope == PolicyScope::User) return {GPO_SECTION_USER, 1, false};
  return {GPO_SECTION_MACHINE, 0, true};
}
