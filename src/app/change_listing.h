// PrintPolicyChanges: what /whatif prints instead of saving: a line for each record the import
// would add to, change in or remove from the policy's half, then the counts, and that nothing
// was saved.
#pragma once

#include "policy/policy_changes.h"

// root_name: HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER, before each key path. Names and text are
// printed in the ANSI code page, a character it lacks as its default character; long data is
// cut, with its byte count. Raises std::bad_alloc.
void PrintPolicyChanges(const PolicyComparison& comparison, const char* root_name);
