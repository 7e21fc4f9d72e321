#include "entry_reader.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "common/ansi_text.h"
#include "common/bstr.h"
#include "common/local_memory.h"
#include "common/out_of_memory.h"
#include "delete_record.h"
#include "entry_parser.h"

namespace {

using WideText = std::basic_string<OLECHAR>;

const char* NextLine(const char* line) {
  return line + std::strlen(line) + 1;
}

// Appends line to entry as wide text; a null conversion can only mean memory ran out.
void AppendWide(const char* line, WideText* entry) {
  UniqueBstr wide(AnsiToBstr(line));
  if (wide.get() == nullptr) throw std::bad_alloc();
  entry->append(wide.get(), wide.length());
}

// What the round trip through UTF-16 does to a line: ASCII in every code page and well-formed
// UTF-8 in a UTF-8 code page come back unchanged; bytes that are no text in the code page would
// come back as replacement characters.
enum class RoundTrip { kUnchanged, kConverted, kNoText };

RoundTrip RoundTripOf(const char* text, size_t length) {
  if (IsAsciiText(text, length)) return RoundTrip::kUnchanged;
  if (length > INT_MAX) return RoundTrip::kConverted;
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, static_cast<int>(length), nullptr,
                          0) <= 0) {
    return RoundTrip::kNoText;
  }
  return GetACP() == CP_UTF8 ? RoundTrip::kUnchanged : RoundTrip::kConverted;
}

// The entry that starts at *line, joined across lines that end in a backslash (the backslash is
// dropped, the next line appended as it stands), in 8-bit text taken through UTF-16 and back.
// *line moves to the last line taken in; the section's terminating empty line ends the joining.
// The joined text is built once, so a value spread over thousands of lines costs time linear in
// its length.
std::string JoinThroughUtf16(const char** line) {
  WideText joined;
  AppendWide(*line, &joined);
  while (!joined.empty() && joined.back() == OLESTR('\\')) {
    joined.pop_back();
    const char* next = NextLine(*line);
    if (*next == '\0') break;
    *line = next;
    AppendWide(*line, &joined);
  }
  UniqueBstr wide(SysAllocStringLen(joined.data(), static_cast<UINT>(joined.size())));
  if (wide.get() == nullptr) throw std::bad_alloc();
  WideText().swap(joined);
  return BstrToAnsi(wide.get());
}

// Whether the line's last character is a backslash: in a double-byte code page that byte may be
// a trail byte.
bool EndsInBackslash(const char* line, size_t length) {
  return length > 0 && line[length - 1] == '\\' &&
         FindLastAnsiChar(line, '\\') == line + length - 1;
}

// The entry that starts at *line, joined as JoinThroughUtf16 joins it but from the lines as they
// stand, when that gives the same text or the entry holds bytes that are no text in the code
// page: kept, the registry refuses them instead of storing replacement characters. Otherwise
// false, leaving *line alone.
bool JoinLinesAsTheyStand(const char** line, std::string* joined) {
  bool converted = false;
  bool no_text = false;
  for (const char* current = *line;; current = NextLine(current)) {
    size_t length = std::strlen(current);
    RoundTrip trip = RoundTripOf(current, length);
    converted = converted || trip == RoundTrip::kConverted;
    no_text = no_text || trip == RoundTrip::kNoText;
    joined->append(current, length);
    bool continued = EndsInBackslash(current, length);
    if (continued) joined->pop_back();
    if (!continued || *NextLine(current) == '\0') {
      if (converted && !no_text) return false;
      *line = current;
      return true;
    }
  }
}

// Joins into *joined, whose room is reused from entry to entry.
void JoinEntry(const char** line, std::string* joined) {
  joined->clear();
  if (!JoinLinesAsTheyStand(line, joined)) *joined = JoinThroughUtf16(line);
}

void PrintParseFailure(LSTATUS status, const char* line) {
  std::printf("Error %d, unable to parse entry: %s\n", static_cast<int>(status), line);
}

// RegSetValueExW with the name given in the ANSI code page, converted as RegSetValueExA converts
// it: a name whose bytes are no text in the code page is refused, never stored as U+FFFD.
LSTATUS SetValueAsStored(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD length) {
  UniqueBstr wide_name;
  if (name != nullptr && *name != '\0') {
    int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, nullptr, 0);
    if (units <= 0) return ERROR_NO_UNICODE_TRANSLATION;
    wide_name.reset(SysAllocStringLen(nullptr, static_cast<UINT>(units - 1)));
    if (wide_name.get() == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide_name.get(), units);
  }
  return RegSetValueExW(key, wide_name.get(), 0, type, data, length);
}

using LocalName = LocalPointer<char>;
using LocalData = LocalPointer<BYTE>;

// A value that is not there counts as removed.
LSTATUS RemoveValue(HKEY key, const char* name) {
  LSTATUS status = RegDeleteValueA(key, name);
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// Parses joined entries and writes their values, remembering the last write's status. A value
// and its delete record never stand side by side in one key: writing either removes the other.
class EntryWriter {
 public:
  explicit EntryWriter(HKEY key) : key_(key) {}

  void Write(const char* entry, const char* last_line) {
    LPSTR deleted = nullptr;
    if (ParseDeletion(entry, &deleted)) {
      LocalName name(deleted);
      Delete(name.get());
      return;
    }
    LPSTR parsed_name = nullptr;
    LPBYTE parsed_data = nullptr;
    DWORD length = 0;
    DWORD type = 0;
    DataForm form = DataForm::AnsiText;
    if (!ParseEntry(entry, &parsed_name, &parsed_data, &length, &type, &form)) {
      PrintParseFailure(last_write_, last_line);
      return;
    }
    LocalName name(parsed_name);
    LocalData data(parsed_data);
    last_write_ = ThrowIfOutOfMemory(RemoveValue(key_, DeleteRecordName(name.get())));
    if (last_write_ == ERROR_SUCCESS) {
      last_write_ = ThrowIfOutOfMemory(SetValue(name.get(), type, data.get(), length, form));
    }
    if (last_write_ != ERROR_SUCCESS) PrintFailure("write value", name.get());
  }

 private:
  LSTATUS SetValue(const char* name, DWORD type, const BYTE* data, DWORD length, DataForm form) {
    if (form == DataForm::AnsiText) return RegSetValueExA(key_, name, 0, type, data, length);
    return SetValueAsStored(key_, name, type, data, length);
  }

  // The name of the record that has clients delete the value called name.
  const char* DeleteRecordName(const char* name) {
    record_name_.assign(kDeleteRecordPrefix).append(name != nullptr ? name : "");
    return record_name_.c_str();
  }

  // The value leaves the policy's key and its delete record takes its place, also when the
  // policy did not set it: the point is to delete it on every client.
  void Delete(const char* name) {
    last_write_ = ThrowIfOutOfMemory(RemoveValue(key_, name));
    if (last_write_ == ERROR_SUCCESS) {
      last_write_ = ThrowIfOutOfMemory(RegSetValueExA(
          key_, DeleteRecordName(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(kDeleteRecordText),
          sizeof kDeleteRecordText));
    }
    if (last_write_ != ERROR_SUCCESS) PrintFailure("delete value", name);
  }

  // The default value prints as "(null)".
  void PrintFailure(const char* action, const char* name) const {
    std::printf("Error %d, unable to %s: %s\n", static_cast<int>(last_write_), action,
                name != nullptr ? name : "(null)");
  }

  HKEY key_;
  // The most recent write's status, which a later parse failure reports.
  LSTATUS last_write_ = ERROR_SUCCESS;
  std::string record_name_;
};

}  // namespace

void ImportEntries(const char* lines, HKEY key) {
  EntryWriter writer(key);
  std::string entry;
  for (const char* line = lines; *line != '\0'; line = NextLine(line)) {
    JoinEntry(&line, &entry);
    writer.Write(entry.c_str(), line);
  }
}
