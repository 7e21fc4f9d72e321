// ImportFragment: the import run that writes a REG fragment into one half of a named policy;
// PreviewImport: the same run up to the save, listing what it would change instead of saving.
#pragma once

#include <objbase.h>

#include "common/policy_scope.h"
#include "policy_half.h"

// Raises HresultError or _com_error on failure, having released everything it holds.
void ImportFragment(BSTR target, BSTR source, PolicyScope scope,
                    PolicyFinder find = FindPolicyByDisplayName);

// Imports into the opened policy, then prints the records the import added, changed and removed
// (PrintPolicyChanges) and does not save: nothing in the directory or on SYSVOL changes. Raises
// as ImportFragment does for a failure before that point.
void PreviewImport(BSTR target, BSTR source, PolicyScope scope,
                   PolicyFinder find = FindPolicyByDisplayName);
