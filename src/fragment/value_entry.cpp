#include "value_entry.h"

#include <cstddef>
#include <string>

#include "delete_record.h"

namespace {

// The editor's line width: a byte list breaks before an item that would pass it.
constexpr size_t kLineWidth = 80;
constexpr char kHexDigits[] = "0123456789abcdef";
void AppendHex(DWORD number, int digits, WideText* out) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
    out->push_back(static_cast<WCHAR>(kHexDigits[(number >> shift) & 0xF]));
  }
}

// A type number as the editor writes it in "hex(N):": lower-case digits, no leading zeros.
void AppendTypeNumber(DWORD type, WideText* out) {
  int digits = 1;
  while (digits < 8 && (type >> (4 * digits)) != 0) ++digits;
  AppendHex(type, digits, out);
}

bool IsHighSurrogate(WCHAR unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(WCHAR unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool HasAny(const WideText& text, const char* units) {
  for (; *units != '\0'; ++units) {
    if (text.find(static_cast<WCHAR>(*units)) != WideText::npos) return true;
  }
  return false;
}

// The import reads a name up to the entry's first equals sign and a line up to its end.
bool IsImportableName(const WideText& name) {
  return !HasAny(name, "=\r\n") && IsWellFormedUtf16(name);
}

WideText Utf16Units(const std::vector<BYTE>& data) {
  WideText units;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    units.push_back(static_cast<WCHAR>(data[i] | data[i + 1] << 8));
  }
  return units;
}

// The text of string data that reads back exactly from "text": UTF-16 ending in its only NUL, on
// one line. False for any other data.
bool PlainText(const ValueRecord& value, WideText* text) {
  if (value.type != REG_SZ || value.data.size() < 2 || value.data.size() % 2 != 0) return false;
  WideText units = Utf16Units(value.data);
  if (units.find(WCHAR{0}) != units.size() - 1) return false;
  units.pop_back();
  if (HasAny(units, "\r\n") || !IsWellFormedUtf16(units)) return false;
  *text = std::move(units);
  return true;
}

// kDeleteRecordText as the registry holds it: UTF-16LE, terminated.
std::vector<BYTE> DeleteRecordData() {
  std::vector<BYTE> data;
  for (const char* unit = kDeleteRecordText; *unit != '\0'; ++unit) {
    data.insert(data.end(), {static_cast<BYTE>(*unit), 0});
  }
  data.insert(data.end(), {0, 0});
  return data;
}

bool IsDeleteRecord(const ValueRecord& value) {
  static const WideText prefix(kDeleteRecordPrefix,
                               kDeleteRecordPrefix + sizeof kDeleteRecordPrefix - 1);
  static const std::vector<BYTE> data = DeleteRecordData();
  return value.type == REG_SZ && value.name.compare(0, prefix.size(), prefix) == 0 &&
         value.data == data;
}

// @ for the default value, otherwise the name in quotes.
void AppendName(const WideText& name, WideText* out) {
  if (name.empty()) {
    out->push_back(WCHAR{'@'});
    return;
  }
  out->push_back(WCHAR{'"'});
  out->append(name);
  out->push_back(WCHAR{'"'});
}

// How a byte list goes on past the editor's line width.
enum class Lines { kWrapped, kOne };

// The items of a byte list after its marker. As the editor does, a wrapped line takes an item
// ("xx,") while it stays within the line width, then ends in a backslash and goes on in a line
// indented by two blanks.
void AppendByteList(const std::vector<BYTE>& data, Lines lines, WideText* out) {
  size_t line_start = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    if (lines == Lines::kWrapped && i > 0 && out->size() - line_start + 3 > kLineWidth) {
      AppendAscii("\\\r\n  ", out);
      line_start = out->size() - 2;
    }
    AppendHex(data[i], 2, out);
    if (i + 1 < data.size()) out->push_back(WCHAR{','});
  }
}

// Numbers are read back only from lists of their own size; a text type's empty list comes back
// with a terminator.
bool ListReadsBack(const ValueRecord& value) {
  switch (value.type) {
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
      return value.data.size() == sizeof(DWORD);
    case REG_QWORD:
      return value.data.size() == sizeof(ULONGLONG);
    case REG_SZ:
    case REG_EXPAND_SZ:
      return !value.data.empty();
    default:
      return true;
  }
}

void AppendData(const ValueRecord& value, Lines lines, WideText* out) {
  WideText text;
  if (PlainText(value, &text)) {
    out->push_back(WCHAR{'"'});
    out->append(text);
    out->push_back(WCHAR{'"'});
    return;
  }
  if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD)) {
    AppendAscii("dword:", out);
    AppendHex(value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                  static_cast<DWORD>(value.data[3]) << 24,
              8, out);
    return;
  }
  if (value.type == REG_BINARY) {
    AppendAscii("hex:", out);
  } else {
    AppendAscii("hex(", out);
    AppendTypeNumber(value.type, out);
    AppendAscii("):", out);
  }
  AppendByteList(value.data, lines, out);
}

}  // namespace

bool IsWellFormedUtf16(const WideText& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsLowSurrogate(text[i])) return false;
    if (!IsHighSurrogate(text[i])) continue;
    if (i + 1 == text.size() || !IsLowSurrogate(text[i + 1])) return false;
    ++i;
  }
  return true;
}

LSTATUS ValueEntry(const ValueRecord& value, WideText* entry) {
  if (IsDeleteRecord(value)) {
    WideText deleted = value.name.substr(sizeof kDeleteRecordPrefix - 1);
    if (!IsImportableName(deleted)) return ERROR_INVALID_NAME;
    WideText line;
    AppendName(deleted, &line);
    AppendAscii("=-", &line);
    *entry = std::move(line);
    return ERROR_SUCCESS;
  }
  if (!IsImportableName(value.name)) return ERROR_INVALID_NAME;
  if (!ListReadsBack(value)) return ERROR_INVALID_DATA;
  WideText line;
  AppendName(value.name, &line);
  line.push_back(WCHAR{'='});
  AppendData(value, Lines::kWrapped, &line);
  *entry = std::move(line);
  return ERROR_SUCCESS;
}

WideText ValueNameText(const ValueRecord& value) {
  WideText name;
  AppendName(IsDeleteRecord(value) ? value.name.substr(sizeof kDeleteRecordPrefix - 1) : value.name,
             &name);
  return name;
}

WideText ValueDataText(const ValueRecord& value, size_t most_shown) {
  WideText data;
  if (IsDeleteRecord(value)) {
    data.push_back(WCHAR{'-'});
    return data;
  }
  AppendData(value, Lines::kOne, &data);
  // Cut only where the note of the byte count makes the line shorter.
  std::string note = "... (" + std::to_string(value.data.size()) + " bytes)";
  if (data.size() <= most_shown + note.size()) return data;
  size_t cut = most_shown;
  if (cut > 0 && IsHighSurrogate(data[cut - 1])) --cut;
  data.resize(cut);
  AppendAscii(note.c_str(), &data);
  return data;
}
