// Export then parse: a Registry.pol file (after a code page choice byte, code_page_choice.h) is
// loaded, read back as records and written as a fragment's text. Each value the text holds must
// parse back, as the import reads it, to its own name, type and data; a value is left out only
// with one of the reasons the export gives.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "code_page_choice.h"
#include "fragment/entry_parser.h"
#include "fragment/fragment_text.h"
#include "fragment/value_entry.h"
#include "policy/registry_records.h"
#include "property.h"
#include "registry/hive.h"

namespace {

std::string ToAnsi(const WideText& text) {
  int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                  nullptr, nullptr);
  std::string ansi(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) {
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &ansi[0], bytes,
                        nullptr, nullptr);
  }
  return ansi;
}

WideText FromAnsi(const char* text, size_t length) {
  WideText wide(length + 1, WCHAR{});
  int units = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), &wide[0],
                                  static_cast<int>(wide.size()));
  wide.resize(units > 0 ? static_cast<size_t>(units) : 0);
  return wide;
}

// The record the import writes for a parsed entry: a quoted string's text in UTF-16 with a
// terminator, as RegSetValueExA stores it; other data as parsed.
std::vector<BYTE> StoredData(const BYTE* data, DWORD length, DataForm form) {
  if (form == DataForm::AsStored) return std::vector<BYTE>(data, data + length);
  WideText text = FromAnsi(reinterpret_cast<const char*>(data), length);
  if (text.empty() || text.back() != WCHAR{}) text.push_back(WCHAR{});
  std::vector<BYTE> bytes;
  for (WCHAR unit : text) {
    bytes.push_back(static_cast<BYTE>(unit & 0xFF));
    bytes.push_back(static_cast<BYTE>(unit >> 8));
  }
  return bytes;
}

// The entry's lines joined as the entry reader joins them.
WideText Joined(WideText entry) {
  const WideText continuation = {'\\', '\r', '\n', ' ', ' '};
  for (size_t at; (at = entry.find(continuation)) != WideText::npos;) {
    entry.erase(at, continuation.size());
  }
  return entry;
}

// A deletion reads back as its delete record.
bool ReadsBackAsDeletion(const ValueRecord& value, const std::string& ansi) {
  LPSTR name = nullptr;
  if (!ParseDeletion(ansi.c_str(), &name)) return false;
  std::string record = std::string("**del.") + (name != nullptr ? name : "");
  LocalFree(name);
  RequireProperty(FromAnsi(record.c_str(), record.size()) == value.name,
                  "a deletion reads back as its record's name");
  RequireProperty(value.type == REG_SZ && value.data == std::vector<BYTE>{0x20, 0, 0, 0},
                  "only a delete record is written as a deletion");
  return true;
}

void RequireReadsBack(const ValueRecord& value, const WideText& entry) {
  std::string ansi = ToAnsi(Joined(entry));
  if (ReadsBackAsDeletion(value, ansi)) return;
  LPSTR name = nullptr;
  LPBYTE data = nullptr;
  DWORD length = 0;
  DWORD type = 0;
  DataForm form = DataForm::AnsiText;
  RequireProperty(ParseEntry(ansi.c_str(), &name, &data, &length, &type, &form),
                  "an exported value parses");
  WideText parsed_name = name != nullptr ? FromAnsi(name, std::strlen(name)) : WideText();
  RequireProperty(parsed_name == value.name, "an exported value reads back under its name");
  RequireProperty(type == value.type, "an exported value reads back with its type");
  RequireProperty(StoredData(data, length, form) == value.data,
                  "an exported value reads back with its data");
  LocalFree(name);
  LocalFree(data);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Values left out are reported on stdout; keep the fuzzer's own output readable.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CodePageChoice code_page(&data, &size);
  std::unique_ptr<RegistryHive> hive;
  if (FAILED(RegistryHive::Load(data, size, &hive))) return 0;
  HKEY root = hive->OpenRoot();
  std::vector<KeyRecord> keys = ReadRegistryRecords(root);
  RegCloseKey(root);
  LSTATUS left_out = ERROR_SUCCESS;
  FragmentText(keys, "HKEY_LOCAL_MACHINE", &left_out);
  // Text outside the code page cannot come back through the 8-bit parser; UTF-8 holds it all.
  if (GetACP() != CP_UTF8) return 0;
  for (const KeyRecord& key : keys) {
    for (const ValueRecord& value : key.values) {
      WideText entry;
      LSTATUS status = ValueEntry(value, &entry);
      RequireProperty(
          status == ERROR_SUCCESS || status == ERROR_INVALID_NAME || status == ERROR_INVALID_DATA,
          "a value is written or left out for a reason the import has");
      if (status == ERROR_SUCCESS) RequireReadsBack(value, entry);
    }
  }
  return 0;
}
