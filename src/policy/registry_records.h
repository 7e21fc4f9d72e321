// ReadRegistryRecords: one half of a policy's registry read back as records, keys and values in
// the order the registry enumerates them, names and data exactly as stored. What /export writes
// as a fragment, and what a comparison of the policy before and after a change reads.
#pragma once

#include <vector>

#include <windows.h>

#include "common/registry_record.h"

// Every key below root and root itself, depth first: a key, then each of its subkeys with theirs,
// in enumeration order. Read with the registry's wide functions, so no code page stands between
// the policy and the records. Raises HresultError with the registry's status when a key cannot be
// read, std::bad_alloc when memory runs out.
std::vector<KeyRecord> ReadRegistryRecords(HKEY root);
