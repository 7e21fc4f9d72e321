// ImportFragment: the import run that writes a REG fragment into one half of a named policy.
#pragma once

#include <objbase.h>

#include "common/policy_scope.h"
#include "policy_half.h"

// Raises HresultError or _com_error on failure, having released everything it holds.
void ImportFragment(BSTR target, BSTR source, PolicyScope scope,
                    PolicyFinder find = FindPolicyByDisplayName);
