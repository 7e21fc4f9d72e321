#include "registry_pol.h"

#include <cstring>
#include <string>
#include <string_view>

#include "key_path.h"
#include "registry_limits.h"
#include "utf16le.h"

namespace {

constexpr BYTE kHeader[] = {'P', 'R', 'e', 'g', 1, 0, 0, 0};

// The record that only creates its key. A key's default value of type REG_NONE without data is
// written the same way, since a reader cannot tell the two apart.
bool IsKeyOnlyRecord(std::u16string_view value_name, DWORD type, size_t size) {
  return value_name.empty() && type == REG_NONE && size == 0;
}

// Consumes the file front to back; every read fails rather than pass the end.
class PolReader {
 public:
  PolReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return position_ == size_; }

  bool ReadHeader() { return ReadExactly(kHeader, sizeof kHeader); }

  bool ReadUnit(char16_t expected) {
    const BYTE unit[] = {static_cast<BYTE>(expected & 0xFF), static_cast<BYTE>(expected >> 8)};
    return ReadExactly(unit, sizeof unit);
  }

  // Code units up to and including a NUL terminator, which is not kept.
  bool ReadString(std::u16string* text) {
    for (size_t end = position_; end + 1 < size_; end += 2) {
      if (data_[end] == 0 && data_[end + 1] == 0) {
        *text = ReadUtf16Le(data_ + position_, end - position_);
        position_ = end + 2;
        return true;
      }
    }
    return false;
  }

  bool ReadDword(DWORD* value) {
    if (size_ - position_ < 4) return false;
    const BYTE* bytes = data_ + position_;
    *value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<DWORD>(bytes[3]) << 24;
    position_ += 4;
    return true;
  }

  bool ReadBytes(size_t count, std::vector<BYTE>* bytes) {
    if (size_ - position_ < count) return false;
    bytes->assign(data_ + position_, data_ + position_ + count);
    position_ += count;
    return true;
  }

 private:
  bool ReadExactly(const BYTE* expected, size_t count) {
    if (size_ - position_ < count || std::memcmp(data_ + position_, expected, count) != 0) {
      return false;
    }
    position_ += count;
    return true;
  }

  const BYTE* data_;
  size_t size_;
  size_t position_ = 0;
};

struct PolRecord {
  std::u16string key_path;
  std::u16string value_name;
  DWORD type = REG_NONE;
  DWORD size = 0;
  std::vector<BYTE> data;
};

bool ReadRecord(PolReader& reader, PolRecord* record) {
  return reader.ReadUnit(u'[') && reader.ReadString(&record->key_path) && reader.ReadUnit(u';') &&
         reader.ReadString(&record->value_name) && reader.ReadUnit(u';') &&
         reader.ReadDword(&record->type) && reader.ReadUnit(u';') &&
         reader.ReadDword(&record->size) && reader.ReadUnit(u';') &&
         record->size <= kMaxValueDataSize && reader.ReadBytes(record->size, &record->data) &&
         reader.ReadUnit(u']');
}

bool StoreRecord(PolRecord record, RegistryKey& root) {
  KeyNames names;
  std::shared_ptr<RegistryKey> key;
  bool created;
  if (SplitKeyPath(record.key_path, &names) != ERROR_SUCCESS ||
      record.value_name.size() > kMaxValueNameLength ||
      root.CreatePath(names, &key, &created) != ERROR_SUCCESS) {
    return false;
  }
  if (!IsKeyOnlyRecord(record.value_name, record.type, record.size)) {
    key->SetValue(record.value_name, record.type, std::move(record.data));
  }
  return true;
}

void AppendDword(DWORD value, std::vector<BYTE>* bytes) {
  for (int shift = 0; shift < 32; shift += 8) bytes->push_back(static_cast<BYTE>(value >> shift));
}

void AppendRecord(std::u16string_view key_path, std::u16string_view value_name, DWORD type,
                  const std::vector<BYTE>& data, std::vector<BYTE>* bytes) {
  AppendUtf16Le(u"[", bytes);
  AppendUtf16Le(key_path, bytes);
  AppendUtf16Le(std::u16string_view(u"\0;", 2), bytes);
  AppendUtf16Le(value_name, bytes);
  AppendUtf16Le(std::u16string_view(u"\0;", 2), bytes);
  AppendDword(type, bytes);
  AppendUtf16Le(u";", bytes);
  AppendDword(static_cast<DWORD>(data.size()), bytes);
  AppendUtf16Le(u";", bytes);
  bytes->insert(bytes->end(), data.begin(), data.end());
  AppendUtf16Le(u"]", bytes);
}

void AppendKey(const RegistryKey& key, const std::u16string& key_path, std::vector<BYTE>* bytes) {
  bool wrote_value = false;
  for (const RegistryValue& value : key.values()) {
    if (IsKeyOnlyRecord(value.name, value.type, value.data.size())) continue;
    AppendRecord(key_path, value.name, value.type, value.data, bytes);
    wrote_value = true;
  }
  if (!wrote_value && key.subkey_count() == 0 && !key.is_root()) {
    AppendRecord(key_path, u"", REG_NONE, {}, bytes);
  }
  for (size_t i = 0; i < key.subkey_count(); ++i) {
    const RegistryKey& subkey = *key.SubkeyAt(i);
    AppendKey(subkey, key.is_root() ? subkey.name() : key_path + u'\\' + subkey.name(), bytes);
  }
}

}  // namespace

LSTATUS ReadRegistryPol(const BYTE* data, size_t size, RegistryKey& root) {
  PolReader reader(data, size);
  if (!reader.ReadHeader()) return ERROR_INVALID_DATA;
  while (!reader.AtEnd()) {
    PolRecord record;
    if (!ReadRecord(reader, &record) || !StoreRecord(std::move(record), root)) {
      return ERROR_INVALID_DATA;
    }
  }
  return ERROR_SUCCESS;
}

std::vector<BYTE> WriteRegistryPol(const RegistryKey& root) {
  std::vector<BYTE> bytes(std::begin(kHeader), std::end(kHeader));
  AppendKey(root, std::u16string(), &bytes);
  return bytes;
}
