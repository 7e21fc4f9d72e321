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

// The key of the previous record: a file holds each key's values one after another, so most
// records name the key the one before named, and its path is not split and walked again.
struct RecentKey {
  std::u16string path;
  std::shared_ptr<RegistryKey> key;
};

bool FindRecordKey(std::u16string key_path, RegistryKey& root, RecentKey* recent) {
  if (recent->key && key_path == recent->path) return true;
  KeyNames names;
  bool created;
  recent->key.reset();
  // A stored path with an empty level is damage, not a spelling to tidy: it stays refused.
  if (key_path.find(u"\\\\") != std::u16string::npos ||
      SplitKeyPath(key_path, &names) != ERROR_SUCCESS ||
      root.CreatePath(names, &recent->key, &created) != ERROR_SUCCESS) {
    return false;
  }
  recent->path = std::move(key_path);
  return true;
}

bool StoreRecord(PolRecord record, RegistryKey& root, RecentKey* recent) {
  if (record.value_name.size() > kMaxValueNameLength ||
      !FindRecordKey(std::move(record.key_path), root, recent)) {
    return false;
  }
  if (!IsKeyOnlyRecord(record.value_name, record.type, record.size)) {
    recent->key->SetValue(record.value_name, record.type, std::move(record.data));
  }
  return true;
}

// Counts the bytes of the records, so that the file is written into a buffer of its exact size.
class PolSizer {
 public:
  void Units(std::u16string_view text) { size_ += 2 * text.size(); }
  void Dword(DWORD) { size_ += 4; }
  void Bytes(const std::vector<BYTE>& data) { size_ += data.size(); }
  size_t size() const { return size_; }

 private:
  size_t size_ = 0;
};

// Writes the records into a buffer that PolSizer has measured.
class PolWriter {
 public:
  explicit PolWriter(BYTE* out) : out_(out) {}
  void Units(std::u16string_view text) { out_ = StoreUtf16Le(text, out_); }
  void Dword(DWORD value) {
    BYTE* out = out_;
    for (int shift = 0; shift < 32; shift += 8) *out++ = static_cast<BYTE>(value >> shift);
    out_ = out;
  }
  void Bytes(const std::vector<BYTE>& data) {
    if (!data.empty()) std::memcpy(out_, data.data(), data.size());
    out_ += data.size();
  }

 private:
  BYTE* out_;
};

template <typename Sink>
void AppendRecord(std::u16string_view key_path, std::u16string_view value_name, DWORD type,
                  const std::vector<BYTE>& data, Sink* sink) {
  sink->Units(u"[");
  sink->Units(key_path);
  sink->Units(std::u16string_view(u"\0;", 2));
  sink->Units(value_name);
  sink->Units(std::u16string_view(u"\0;", 2));
  sink->Dword(type);
  sink->Units(u";");
  sink->Dword(static_cast<DWORD>(data.size()));
  sink->Units(u";");
  sink->Bytes(data);
  sink->Units(u"]");
}

// key_path holds the key's path on the way in and out; each subkey's path is built on its end
// and cut off again, so the walk needs no string per key.
template <typename Sink>
void AppendKey(const RegistryKey& key, std::u16string* key_path, Sink* sink) {
  bool wrote_value = false;
  for (const RegistryValue& value : key.values()) {
    if (IsKeyOnlyRecord(value.name, value.type, value.data.size())) continue;
    AppendRecord(*key_path, value.name, value.type, value.data, sink);
    wrote_value = true;
  }
  if (!wrote_value && key.subkey_count() == 0 && !key.is_root()) {
    AppendRecord(*key_path, u"", REG_NONE, {}, sink);
  }
  for (size_t i = 0; i < key.subkey_count(); ++i) {
    const RegistryKey& subkey = *key.SubkeyAt(i);
    size_t length = key_path->size();
    if (!key.is_root()) key_path->push_back(u'\\');
    key_path->append(subkey.name());
    AppendKey(subkey, key_path, sink);
    key_path->resize(length);
  }
}

}  // namespace

LSTATUS ReadRegistryPol(const BYTE* data, size_t size, RegistryKey& root) {
  PolReader reader(data, size);
  if (!reader.ReadHeader()) return ERROR_INVALID_DATA;
  RecentKey recent;
  while (!reader.AtEnd()) {
    PolRecord record;
    if (!ReadRecord(reader, &record) || !StoreRecord(std::move(record), root, &recent)) {
      return ERROR_INVALID_DATA;
    }
  }
  return ERROR_SUCCESS;
}

std::string WriteRegistryPol(const RegistryKey& root) {
  std::u16string key_path;
  PolSizer sizer;
  AppendKey(root, &key_path, &sizer);
  std::string bytes(sizeof kHeader + sizer.size(), '\0');
  BYTE* out = reinterpret_cast<BYTE*>(bytes.data());
  std::memcpy(out, kHeader, sizeof kHeader);
  PolWriter writer(out + sizeof kHeader);
  AppendKey(root, &key_path, &writer);
  return bytes;
}
