#include "fragment_text.h"

#include <cstdio>

#include <objbase.h>

#include "common/bstr.h"
#include "value_entry.h"

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";

void EndLine(WideText* out) {
  AppendAscii("\r\n", out);
}

// A key path the import reads back from a section name: the profile reader ends the name at its
// first ']' and drops the blanks at its end.
bool IsImportablePath(const WideText& path) {
  for (const char* unit = "]\r\n"; *unit != '\0'; ++unit) {
    if (path.find(static_cast<WCHAR>(*unit)) != WideText::npos) return false;
  }
  bool trailing_blank = !path.empty() && (path.back() == WCHAR{' '} || path.back() == WCHAR{'\t'});
  return !trailing_blank && IsWellFormedUtf16(path);
}

// Prints the line for what is left out, and keeps the first status in *left_out.
void LeaveOut(const char* what, LSTATUS status, const WideText& name, LSTATUS* left_out) {
  std::printf("Error %d, unable to export %s: %s\n", static_cast<int>(status), what,
              WideToAnsi(name.data(), name.size()).c_str());
  if (*left_out == ERROR_SUCCESS) *left_out = status;
}

void AppendKey(const KeyRecord& key, const char* root_name, WideText* out, LSTATUS* left_out) {
  if (!IsImportablePath(key.path)) {
    LeaveOut("key", ERROR_INVALID_NAME, key.path, left_out);
    return;
  }
  out->append(SectionName(root_name, key.path));
  EndLine(out);
  WideText entry;
  for (const ValueRecord& value : key.values) {
    LSTATUS status = ValueEntry(value, &entry);
    if (status != ERROR_SUCCESS) {
      LeaveOut("value", status, value.name, left_out);
      continue;
    }
    out->append(entry);
    EndLine(out);
  }
  EndLine(out);
}

}  // namespace

WideText FragmentText(const std::vector<KeyRecord>& keys, const char* root_name,
                      LSTATUS* left_out) {
  WideText text;
  *left_out = ERROR_SUCCESS;
  AppendAscii(kHeader, &text);
  EndLine(&text);
  EndLine(&text);
  for (const KeyRecord& key : keys) {
    if (key.path.empty() && key.values.empty()) continue;
    AppendKey(key, root_name, &text, left_out);
  }
  return text;
}

WideText SectionName(const char* root_name, const WideText& path) {
  WideText name(1, WCHAR{'['});
  AppendAscii(root_name, &name);
  if (!path.empty()) name.append(1, WCHAR{'\\'}).append(path);
  name.push_back(WCHAR{']'});
  return name;
}

std::string Utf16LeWithBom(const WideText& text) {
  std::string bytes = "\xff\xfe";
  bytes.reserve(2 + 2 * text.size());
  for (WCHAR unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}
