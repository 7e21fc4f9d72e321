#include "registry_key.h"

#include <utility>

#include "name_case.h"
#include "registry_limits.h"

RegistryKey::RegistryKey(std::u16string name, RegistryKey* parent)
    : name_(std::move(name)), parent_(parent), depth_(parent ? parent->depth_ + 1 : 0) {}

std::shared_ptr<RegistryKey> RegistryKey::CreateRoot() {
  return std::make_shared<RegistryKey>(std::u16string(), nullptr);
}

std::shared_ptr<RegistryKey> RegistryKey::FindPath(const KeyNames& names) {
  RegistryKey* key = this;
  for (std::u16string_view name : names) {
    key = key->FindSubkey(name);
    if (!key) return nullptr;
  }
  return key->shared_from_this();
}

LSTATUS RegistryKey::CreatePath(const KeyNames& names, std::shared_ptr<RegistryKey>* key,
                                bool* created) {
  if (depth_ + names.size() > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
  RegistryKey* current = this;
  *created = false;
  for (std::u16string_view name : names) current = current->FindOrAddSubkey(name, created);
  *key = current->shared_from_this();
  return ERROR_SUCCESS;
}

LSTATUS RegistryKey::Detach() {
  if (deleted_) return ERROR_KEY_DELETED;
  if (is_root() || !subkeys_.empty()) return ERROR_ACCESS_DENIED;
  RegistryKey* parent = std::exchange(parent_, nullptr);
  deleted_ = true;
  parent->subkeys_.erase(name_);
  parent->ordered_subkeys_.clear();
  return ERROR_SUCCESS;
}

const RegistryKey* RegistryKey::SubkeyAt(size_t index) const {
  if (index >= subkeys_.size()) return nullptr;
  if (ordered_subkeys_.empty()) {
    ordered_subkeys_.reserve(subkeys_.size());
    for (const auto& entry : subkeys_) ordered_subkeys_.push_back(entry.second.get());
  }
  return ordered_subkeys_[index];
}

namespace {

constexpr size_t kMostValuesWalked = 16;
// Room a key's value list starts with: a key that has values mostly has several, and starting at
// one would move them to a new list at the second, third and fifth.
constexpr size_t kFirstValueRoom = 4;

}  // namespace

size_t RegistryKey::ValuePosition(std::u16string_view name) const {
  if (values_.size() <= kMostValuesWalked) {
    size_t position = 0;
    while (position < values_.size() && !SameName(values_[position].name, name)) ++position;
    return position;
  }
  auto found = value_positions_.find(UpcaseName(name));
  return found == value_positions_.end() ? values_.size() : found->second;
}

const RegistryValue* RegistryKey::FindValue(std::u16string_view name) const {
  size_t position = ValuePosition(name);
  return position < values_.size() ? &values_[position] : nullptr;
}

void RegistryKey::SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data) {
  size_t position = ValuePosition(name);
  if (position < values_.size()) {
    values_[position].type = type;
    values_[position].data = std::move(data);
    return;
  }
  if (values_.empty()) values_.reserve(kFirstValueRoom);
  values_.push_back(RegistryValue{std::u16string(name), type, std::move(data)});
  if (values_.size() == kMostValuesWalked + 1) {
    IndexValues();
  } else if (values_.size() > kMostValuesWalked + 1) {
    value_positions_.emplace(UpcaseName(name), position);
  }
}

bool RegistryKey::RemoveValue(std::u16string_view name) {
  size_t position = ValuePosition(name);
  if (position == values_.size()) return false;
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(position));
  value_positions_.clear();
  if (values_.size() > kMostValuesWalked) IndexValues();
  return true;
}

void RegistryKey::IndexValues() {
  for (size_t i = 0; i < values_.size(); ++i) {
    value_positions_.emplace(UpcaseName(values_[i].name), i);
  }
}

RegistryKey* RegistryKey::FindSubkey(std::u16string_view name) const {
  auto found = subkeys_.find(name);
  return found == subkeys_.end() ? nullptr : found->second.get();
}

RegistryKey* RegistryKey::FindOrAddSubkey(std::u16string_view name, bool* added) {
  auto place = subkeys_.lower_bound(name);
  *added = place == subkeys_.end() || subkeys_.key_comp()(name, place->first);
  if (!*added) return place->second.get();
  auto subkey = std::make_shared<RegistryKey>(std::u16string(name), this);
  subkeys_.emplace_hint(place, subkey->name(), subkey);
  ordered_subkeys_.clear();
  return subkey.get();
}
