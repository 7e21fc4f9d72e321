// ImportFragment: the import run that writes a REG fragment into one half of a named policy.
#pragma once

#include <memory>

#include <objbase.h>

#include "common/policy_scope.h"
#include "policy/policy_lookup.h"

// Finds the policy to import into by its display name (FindPolicyByDisplayName's shape). Tests
// hand in a fake.
typedef std::unique_ptr<PolicyObject> (*PolicyFinder)(BSTR display_name, DirectoryBinder bind);

// Raises HresultError or _com_error on failure, having released everything it holds.
void ImportFragment(BSTR target, BSTR source, PolicyScope scope,
                    PolicyFinder find = FindPolicyByDisplayName);
