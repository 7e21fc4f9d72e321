#include "policy_changes.h"

#include <map>
#include <tuple>

namespace {

// What names a record in a half: its key, whether it is the key's own record, the value's name.
using RecordName = std::tuple<WideText, bool, WideText>;

RecordName NameOf(const PolicyRecord& record) {
  return {record.path, record.key_only, record.value.name};
}

bool HasSubkeys(const std::vector<KeyRecord>& keys, size_t index) {
  if (index + 1 >= keys.size()) return false;
  const WideText& path = keys[index].path;
  const WideText& next = keys[index + 1].path;
  if (path.empty()) return true;
  return next.size() > path.size() && next.compare(0, path.size(), path) == 0 &&
         next[path.size()] == WCHAR{'\\'};
}

bool SameData(const PolicyRecord& a, const PolicyRecord& b) {
  return a.value.type == b.value.type && a.value.data == b.value.data;
}

}  // namespace

std::vector<PolicyRecord> FlattenRecords(const std::vector<KeyRecord>& keys) {
  std::vector<PolicyRecord> records;
  for (size_t i = 0; i < keys.size(); ++i) {
    for (const ValueRecord& value : keys[i].values) records.push_back({keys[i].path, false, value});
    if (keys[i].values.empty() && !HasSubkeys(keys, i) && !keys[i].path.empty()) {
      records.push_back({keys[i].path, true, ValueRecord{WideText(), REG_NONE, {}}});
    }
  }
  return records;
}

PolicyComparison ComparePolicyRecords(const std::vector<KeyRecord>& before_keys,
                                      const std::vector<KeyRecord>& after_keys) {
  std::vector<PolicyRecord> before = FlattenRecords(before_keys);
  std::vector<PolicyRecord> after = FlattenRecords(after_keys);
  std::map<RecordName, size_t> after_places;
  for (size_t i = 0; i < after.size(); ++i) after_places.emplace(NameOf(after[i]), i);
  std::map<RecordName, size_t> before_places;
  for (size_t i = 0; i < before.size(); ++i) before_places.emplace(NameOf(before[i]), i);

  PolicyComparison comparison;
  size_t next_before = 0;
  auto remove_up_to = [&](size_t end) {
    for (; next_before < end; ++next_before) {
      if (after_places.count(NameOf(before[next_before])) == 0) {
        comparison.changes.push_back({PolicyChange::Kind::Removed, before[next_before], {}});
      }
    }
  };
  for (const PolicyRecord& record : after) {
    auto found = before_places.find(NameOf(record));
    if (found == before_places.end()) {
      comparison.changes.push_back({PolicyChange::Kind::Added, {}, record});
      continue;
    }
    remove_up_to(found->second);
    const PolicyRecord& old = before[found->second];
    if (SameData(old, record)) {
      ++comparison.unchanged;
    } else {
      comparison.changes.push_back({PolicyChange::Kind::Changed, old, record});
    }
  }
  remove_up_to(before.size());
  return comparison;
}
