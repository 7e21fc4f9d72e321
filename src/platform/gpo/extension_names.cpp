#include "gpo/extension_names.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <set>

#include "system/ascii_text.h"

namespace {

constexpr size_t kGuidTextLength = 38;

// Extension GUID to its tool GUIDs, all upper-case, so the containers' order is the order
// clients expect.
using ExtensionGroups = std::map<std::string, std::set<std::string>>;

bool IsGuidText(std::string_view text) {
  if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}') return false;
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    bool dash_position = i == 9 || i == 14 || i == 19 || i == 24;
    bool ok = dash_position ? text[i] == '-' : std::isxdigit(static_cast<unsigned char>(text[i]));
    if (!ok) return false;
  }
  return true;
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpper(c);
  return upper;
}

// Parses one "[{extension}{tool}...]" group at the front of text into groups and consumes it.
bool ParseGroup(std::string_view* text, ExtensionGroups* groups) {
  size_t close = text->find(']');
  if (text->front() != '[' || close == std::string_view::npos) return false;
  std::string_view body = text->substr(1, close - 1);
  if (body.empty() || body.size() % kGuidTextLength != 0) return false;
  std::set<std::string>* tools = nullptr;
  for (size_t at = 0; at < body.size(); at += kGuidTextLength) {
    std::string_view guid = body.substr(at, kGuidTextLength);
    if (!IsGuidText(guid)) return false;
    if (tools == nullptr) {
      tools = &(*groups)[UpperCase(guid)];
    } else {
      tools->insert(UpperCase(guid));
    }
  }
  text->remove_prefix(close + 1);
  return true;
}

std::string FormatGroups(const ExtensionGroups& groups) {
  std::string text;
  for (const auto& [extension, tools] : groups) {
    text += '[' + extension;
    for (const std::string& tool : tools) text += tool;
    text += ']';
  }
  return text;
}

}  // namespace

std::string GuidToText(const GUID& guid) {
  char text[kGuidTextLength + 1];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

HRESULT MergeExtensionNames(std::string_view existing, const GUID& extension, const GUID& tool,
                            bool add, std::string* merged) {
  ExtensionGroups groups;
  std::string_view rest = TrimmedOf(existing, " \t\r\n");
  while (!rest.empty()) {
    if (!ParseGroup(&rest, &groups)) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  }
  const std::string extension_text = GuidToText(extension);
  if (add) {
    groups[extension_text].insert(GuidToText(tool));
  } else if (auto group = groups.find(extension_text); group != groups.end()) {
    if (group->second.erase(GuidToText(tool)) != 0 && group->second.empty()) groups.erase(group);
  }
  *merged = FormatGroups(groups);
  return S_OK;
}
