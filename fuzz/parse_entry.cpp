// ParseEntry on one entry of a fragment section. Input: a code page choice byte
// (code_page_choice.h), then the entry text up to its first NUL.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <windows.h>

#include "code_page_choice.h"
#include "fragment/entry_parser.h"
#include "property.h"

namespace {

// Stand-ins the outputs start with, to see whether a refused entry left them alone.
char unset_name[1];
BYTE unset_data[1];
constexpr DWORD kUnsetLength = 0xDEADBEEF;
constexpr DWORD kUnsetType = 0xFEEDFACE;

// Reads every byte the parser claims to have stored, so AddressSanitizer reports a length
// beyond the buffer.
void TouchAll(const BYTE* data, DWORD length) {
  volatile BYTE sink = 0;
  for (DWORD i = 0; i < length; ++i) sink = sink ^ data[i];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CodePageChoice code_page(&data, &size);
  // Exactly as long as the text and its NUL, so AddressSanitizer sees a read past the end.
  std::vector<char> entry(data, data + size);
  entry.push_back('\0');
  entry.shrink_to_fit();

  LPSTR name = unset_name;
  LPBYTE value = unset_data;
  DWORD length = kUnsetLength;
  DWORD type = kUnsetType;
  DataForm form = DataForm::AnsiText;
  if (!ParseEntry(entry.data(), &name, &value, &length, &type, &form)) {
    RequireProperty(
        name == unset_name && value == unset_data && length == kUnsetLength && type == kUnsetType,
        "a refused entry leaves the outputs as they were");
    return 0;
  }
  RequireProperty(value != nullptr, "a parsed entry has a data buffer");
  TouchAll(value, length);
  if (name != nullptr) TouchAll(reinterpret_cast<BYTE*>(name), std::strlen(name) + 1);
  LocalFree(name);
  LocalFree(value);
  return 0;
}
