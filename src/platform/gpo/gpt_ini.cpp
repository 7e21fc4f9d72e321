#include "gpo/gpt_ini.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "system/ascii_text.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kDefaultLineEnd = "\r\n";

// Where the Version values sit in the text, and where a missing one would go.
struct VersionLayout {
  std::vector<std::string_view> values;          // views into the text, blanks trimmed
  size_t general_body = std::string_view::npos;  // just past the first [General] header line
  bool general_header_ends_file = false;         // that header has no line end of its own
  std::string_view line_end = kDefaultLineEnd;   // the file's first line end
};

size_t LineEndLength(std::string_view text, size_t at) {
  if (text[at] == '\r') return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
  return text[at] == '\n' ? 1 : 0;
}

// Classifies one line (without its end) and records what it means for the layout.
void ScanLine(std::string_view line, size_t next_line, bool ends_file, bool* in_general,
              VersionLayout* layout) {
  std::string_view content = TrimBlanks(line);
  if (!content.empty() && content.front() == '[') {
    std::string_view name = content.substr(1, content.find(']') - 1);
    *in_general = SameIgnoringAsciiCase(TrimBlanks(name), "General");
    if (*in_general && layout->general_body == std::string_view::npos) {
      layout->general_body = next_line;
      layout->general_header_ends_file = ends_file;
    }
    return;
  }
  if (!*in_general || content.empty() || content.front() == ';') return;
  size_t equals = content.find('=');
  if (equals == std::string_view::npos) return;
  if (SameIgnoringAsciiCase(TrimBlanks(content.substr(0, equals)), "Version")) {
    layout->values.push_back(TrimBlanks(content.substr(equals + 1)));
  }
}

VersionLayout ScanVersionLayout(std::string_view text) {
  VersionLayout layout;
  bool line_end_seen = false;
  bool in_general = false;
  size_t start = text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    size_t end_length = end < text.size() ? LineEndLength(text, end) : 0;
    if (end_length != 0 && !line_end_seen) {
      layout.line_end = text.substr(end, end_length);
      line_end_seen = true;
    }
    ScanLine(text.substr(start, end - start), end + end_length, end_length == 0, &in_general,
             &layout);
    start = end + end_length;
  }
  return layout;
}

// A 32-bit number written in decimal, signed (as some writers store the user half's top bit)
// or unsigned.
bool ParseVersionNumber(std::string_view text, DWORD* number) {
  bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > (negative ? UINT64_C(0x80000000) : UINT64_C(0xFFFFFFFF))) return false;
  *number = static_cast<DWORD>(negative ? 0 - value : value);
  return true;
}

}  // namespace

HRESULT ReadGptIniVersion(std::string_view text, DWORD* version) {
  // ANSI text never holds a NUL; UTF-16 (with or without a byte-order mark) nearly always does.
  bool utf16_bom = text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF";
  if (utf16_bom || text.find('\0') != std::string_view::npos) {
    return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  }
  DWORD largest = 0;
  for (std::string_view value : ScanVersionLayout(text).values) {
    DWORD number = 0;
    if (ParseVersionNumber(value, &number)) largest = std::max(largest, number);
  }
  *version = largest;
  return S_OK;
}

std::string RewriteGptIniVersion(std::string_view text, DWORD version) {
  VersionLayout layout = ScanVersionLayout(text);
  const std::string number = std::to_string(version);
  const std::string eol(layout.line_end);
  std::string result;
  if (!layout.values.empty()) {
    size_t copied = 0;
    for (std::string_view value : layout.values) {
      size_t at = static_cast<size_t>(value.data() - text.data());
      result.append(text.substr(copied, at - copied)).append(number);
      copied = at + value.size();
    }
    return result.append(text.substr(copied));
  }
  if (layout.general_body != std::string_view::npos) {
    result.append(text.substr(0, layout.general_body));
    if (layout.general_header_ends_file) result.append(eol);
    result.append("Version=" + number + eol);
    return result.append(text.substr(layout.general_body));
  }
  result.append(text);
  if (!result.empty() && result.back() != '\n' && result.back() != '\r') result.append(eol);
  return result.append("[General]" + eol + "Version=" + number + eol);
}
