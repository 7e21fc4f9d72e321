// ExportPolicy: the run that reads one half of a named policy back and writes it as a REG
// fragment, changing nothing in the directory or on SYSVOL.
#pragma once

#include <objbase.h>

#include "common/policy_scope.h"
#include "policy_half.h"

// Writes the half to a new file at path, never replacing one. Raises HresultError or _com_error
// on failure, having released everything it holds and left no file behind: ERROR_FILE_EXISTS for
// a path taken, the folder's Win32 error when the file cannot be made there, the status of the
// first value left out (written in full but for it) when a value cannot be exported.
void ExportPolicy(BSTR target, BSTR path, PolicyScope scope,
                  PolicyFinder find = FindPolicyByDisplayName);
