// ComparePolicyRecords: what an import changed in one half of a policy, from the half's records
// read before it and after it.
#pragma once

#include <cstddef>
#include <vector>

#include "common/registry_record.h"

// One record of Registry.pol: a value of a key, or a key that holds neither values nor subkeys
// (a key-only record).
struct PolicyRecord {
  WideText path;
  bool key_only;
  ValueRecord value;  // empty for a key-only record
};

struct PolicyChange {
  enum class Kind { Added, Changed, Removed };
  Kind kind;
  PolicyRecord before;  // empty for an added record
  PolicyRecord after;   // empty for a removed record
};

struct PolicyComparison {
  std::vector<PolicyChange> changes;
  size_t unchanged = 0;
};

// The records the half holds, in its order: keys depth first, a key's values in their order.
std::vector<PolicyRecord> FlattenRecords(const std::vector<KeyRecord>& keys);

// The changes in the order the half holds its records: those still there or new in the order
// after, each removed one just before the first later record that was there before it too.
// Key paths and value names compare as spelled: the registry keeps a name's first spelling, so
// only a name deleted and written anew comes back in another case. Raises std::bad_alloc.
PolicyComparison ComparePolicyRecords(const std::vector<KeyRecord>& before,
                                      const std::vector<KeyRecord>& after);
