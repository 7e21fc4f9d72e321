// One key of an in-memory hive: its values in creation order and its subkeys in name order.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <windows.h>

#include "key_path.h"
#include "name_case.h"

struct RegistryValue {
  std::u16string name;  // as first spelled
  DWORD type;
  std::vector<BYTE> data;  // string types hold UTF-16LE
};

// Names compare without regard to case (UpcaseName) and keep the spelling they were created with.
// A key owns its subkeys; handles share ownership of the keys they name, so a key deleted while a
// handle is open stays readable to that handle and reports itself deleted. Not thread-safe: the
// registry lock guards every key.
class RegistryKey : public std::enable_shared_from_this<RegistryKey> {
 public:
  // A hive's root key.
  static std::shared_ptr<RegistryKey> CreateRoot();

  const std::u16string& name() const { return name_; }
  // Levels below the hive's root: 0 for the root.
  size_t depth() const { return depth_; }
  bool is_root() const { return depth_ == 0; }
  bool deleted() const { return deleted_; }

  // The key that names lead to from this one (this key for no names), or null when one is missing.
  std::shared_ptr<RegistryKey> FindPath(const KeyNames& names);
  // As FindPath, creating the missing keys; *created tells whether the last one is new. Fails with
  // ERROR_INVALID_PARAMETER, creating nothing, when the path would go deeper than kMaxKeyDepth.
  LSTATUS CreatePath(const KeyNames& names, std::shared_ptr<RegistryKey>* key, bool* created);
  // Removes this key from its parent, as RegDeleteKeyA does: ERROR_ACCESS_DENIED for a key that
  // has subkeys and for the root, ERROR_KEY_DELETED when it is already gone.
  LSTATUS Detach();

  size_t subkey_count() const { return subkeys_.size(); }
  // The subkey at index in case-insensitive name order, or null past the end.
  const RegistryKey* SubkeyAt(size_t index) const;

  const std::vector<RegistryValue>& values() const { return values_; }
  const RegistryValue* FindValue(std::u16string_view name) const;
  // Creates the value at the end of the list, or replaces the type and data of the existing one,
  // which keeps its place and its first spelling.
  void SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data);
  // Removes the value with that name; false when there is none. The others keep their order.
  bool RemoveValue(std::u16string_view name);

  RegistryKey(std::u16string name, RegistryKey* parent);

 private:
  // Subkeys are reached through plain pointers along a path, so a walk copies no shared pointer.
  RegistryKey* FindSubkey(std::u16string_view name) const;
  // The subkey called name, added when there is none (*added tells which), found and placed
  // with one search of the subkeys.
  RegistryKey* FindOrAddSubkey(std::u16string_view name, bool* added);
  // The index in values_ of the value with that name, or values_.size() when there is none.
  size_t ValuePosition(std::u16string_view name) const;
  // Indexes every value by name once the key has more than a walk finds quickly.
  void IndexValues();

  std::u16string name_;
  RegistryKey* parent_;  // null for the root and for a detached key
  size_t depth_;
  bool deleted_ = false;
  // Keyed by each subkey's own name, which the subkey holds as long as the entry exists.
  std::map<std::u16string_view, std::shared_ptr<RegistryKey>, NameLess> subkeys_;
  // Subkeys in order for enumeration by index, rebuilt after the set changes.
  mutable std::vector<const RegistryKey*> ordered_subkeys_;
  std::vector<RegistryValue> values_;
  // Upper-cased name -> index, once a key has more values than a walk finds quickly; most keys
  // have a handful and are walked.
  std::unordered_map<std::u16string, size_t> value_positions_;
};
