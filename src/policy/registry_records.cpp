#include "registry_records.h"

#include <algorithm>
#include <memory>
#include <type_traits>

#include "common/hresult_error.h"

namespace {

void ThrowIfRegistryFailed(LSTATUS status) {
  if (status != ERROR_SUCCESS) throw HresultError{HRESULT_FROM_WIN32(status)};
}

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// What RegQueryInfoKeyW tells of a key: the room its names and data need.
struct KeyRoom {
  DWORD longest_subkey = 0;
  DWORD longest_value_name = 0;
  DWORD longest_data = 0;
};

KeyRoom MeasureKey(HKEY key) {
  KeyRoom room;
  ThrowIfRegistryFailed(
      RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &room.longest_subkey, nullptr,
                       nullptr, &room.longest_value_name, &room.longest_data, nullptr, nullptr));
  return room;
}

// The key's values in enumeration order. A buffer found too small (the key changed since it was
// measured) is made larger and the value read again.
std::vector<ValueRecord> ReadValues(HKEY key, const KeyRoom& room) {
  std::vector<ValueRecord> values;
  WideText name(room.longest_value_name + 1, WCHAR{});
  std::vector<BYTE> data(room.longest_data + 1);
  for (DWORD index = 0;;) {
    auto name_room = static_cast<DWORD>(name.size());
    auto data_size = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    LSTATUS status =
        RegEnumValueW(key, index, &name[0], &name_room, nullptr, &type, data.data(), &data_size);
    if (status == ERROR_NO_MORE_ITEMS) return values;
    if (status == ERROR_MORE_DATA) {
      name.resize(name.size() * 2);
      data.resize(std::max<size_t>(data.size() * 2, data_size));
      continue;
    }
    ThrowIfRegistryFailed(status);
    values.push_back({name.substr(0, name_room), type,
                      std::vector<BYTE>(data.begin(), data.begin() + data_size)});
    ++index;
  }
}

std::vector<WideText> ReadSubkeyNames(HKEY key, const KeyRoom& room) {
  std::vector<WideText> names;
  WideText name(room.longest_subkey + 1, WCHAR{});
  for (DWORD index = 0;;) {
    auto name_room = static_cast<DWORD>(name.size());
    LSTATUS status =
        RegEnumKeyExW(key, index, &name[0], &name_room, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return names;
    if (status == ERROR_MORE_DATA) {
      name.resize(name.size() * 2);
      continue;
    }
    ThrowIfRegistryFailed(status);
    names.push_back(name.substr(0, name_room));
    ++index;
  }
}

void ReadKey(HKEY key, const WideText& path, std::vector<KeyRecord>* records) {
  KeyRoom room = MeasureKey(key);
  records->push_back({path, ReadValues(key, room)});
  for (const WideText& name : ReadSubkeyNames(key, room)) {
    HKEY opened = nullptr;
    ThrowIfRegistryFailed(RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, &opened));
    UniqueKey subkey(opened);
    ReadKey(subkey.get(), path.empty() ? name : path + WCHAR{'\\'} + name, records);
  }
}

}  // namespace

std::vector<KeyRecord> ReadRegistryRecords(HKEY root) {
  std::vector<KeyRecord> records;
  ReadKey(root, WideText(), &records);
  return records;
}
