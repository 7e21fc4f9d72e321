#include "entry_parser.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "common/ansi_text.h"
#include "common/local_memory.h"
#include "hex_number.h"

namespace {

using LocalBuffer = LocalPointer<BYTE>;

// The value syntaxes in the order they are tried; the first marker found anywhere in the value
// text decides, wherever it stands.
enum class Rule { String, Dword, ByteList, NarrowedList, Qword };
struct Marker {
  const char* text;
  DWORD type;
  Rule rule;
};
constexpr Marker kMarkers[] = {
    {"\"", REG_SZ, Rule::String},
    {"dword:", REG_DWORD, Rule::Dword},
    {"hex:", REG_BINARY, Rule::ByteList},
    {"hex(2):", REG_EXPAND_SZ, Rule::NarrowedList},
    {"hex(7):", REG_MULTI_SZ, Rule::NarrowedList},
    {"hex(b):", REG_QWORD, Rule::Qword},
};

// Data bytes built for one value, before the name is read.
struct ValueData {
  LocalBuffer bytes;
  DWORD length = 0;
};

constexpr size_t kMaxLength = std::numeric_limits<DWORD>::max();

// A zero-filled buffer of at least one byte, so that empty data still has a terminator. Memory
// that runs out throws: read as an entry not understood, the value would be left out of a policy
// that is then saved.
LocalBuffer AllocateZeroed(size_t size) {
  LocalBuffer buffer(static_cast<BYTE*>(LocalAlloc(LPTR, size > 0 ? size : 1)));
  if (!buffer) throw std::bad_alloc();
  return buffer;
}

// Copies the whole characters of source that fit in count bytes; a character the limit would cut
// is left out, so the zero-filled target holds zeros in its place.
void CopyWholeCharacters(BYTE* target, const char* source, size_t count) {
  size_t copied = 0;
  for (size_t next; copied < count; copied = next) {
    next = copied + AnsiCharLength(source + copied);
    if (next > count) break;
  }
  std::memcpy(target, source, copied);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// A comment as published fragments put one after a value: optional blanks, then a semicolon.
bool IsComment(const char* text) {
  while (IsBlank(*text)) ++text;
  return *text == ';';
}

// The bytes from the opening quote to the end of the string's text plus one: the entry's last
// quote when a comment follows it, otherwise the entry's last byte, which is dropped.
size_t QuotedLength(const char* quote) {
  const char* last = FindLastAnsiChar(quote + 1, '"');
  if (last != nullptr && IsComment(last + 1)) return static_cast<size_t>(last - quote) + 1;
  return std::strlen(quote);
}

// The entry's string between the quote and its end, as the registry editor writes it; nothing
// inside is unescaped. An entry that ends at the quote gives the empty string with its
// terminator: a string of no bytes at all makes a Registry.pol that Samba cannot read.
ValueData ReadString(const char* quote) {
  size_t quoted = QuotedLength(quote);
  ValueData value;
  if (quoted - 1 > kMaxLength) return value;
  value.bytes = AllocateZeroed(quoted - 1);
  CopyWholeCharacters(value.bytes.get(), quote + 1, quoted >= 2 ? quoted - 2 : 0);
  value.length = static_cast<DWORD>(std::max<size_t>(quoted - 1, 1));
  return value;
}

ValueData ReadDword(const char* number) {
  ValueData value;
  value.bytes = AllocateZeroed(sizeof(DWORD));
  DWORD number_value = ReadHexDword(number);
  for (size_t i = 0; i < sizeof(DWORD); ++i) {
    value.bytes.get()[i] = static_cast<BYTE>(number_value >> (8 * i));
  }
  value.length = sizeof(DWORD);
  return value;
}

// The number of bytes a list's text stands for: every three characters ("xx,") make one byte,
// blanks included, so a list with fewer items is padded with zero bytes.
size_t ListByteCount(const char* list) {
  return (std::strlen(list) + 1) / 3;
}

// Reads up to count comma-separated items into bytes, keeping the low 8 bits of each, and returns
// how many it read; two adjacent commas give a zero item, and items missing at the end leave
// bytes untouched. The editor's own items, two digits and a comma, are read without the general
// number rules.
size_t ReadListItems(const char* list, BYTE* bytes, size_t count) {
  const char* cursor = list;
  for (size_t i = 0; i < count; ++i) {
    if (ReadTwoDigitItem(cursor, &bytes[i])) {
      if (cursor[2] == '\0') return i + 1;
      cursor += 3;
      continue;
    }
    bytes[i] = static_cast<BYTE>(ReadHexLong(cursor) & 0xFF);
    const char* comma = FindAnsiChar(cursor, ',');
    if (comma == nullptr) return i + 1;
    cursor = comma + 1;
  }
  return count;
}

ValueData ReadByteList(const char* list) {
  size_t count = ListByteCount(list);
  ValueData value;
  if (count > kMaxLength) return value;
  value.bytes = AllocateZeroed(count);
  ReadListItems(list, value.bytes.get(), count);
  value.length = static_cast<DWORD>(count);
  return value;
}

// A 64-bit number is a list of exactly eight items. Any other list would make a value of another
// length, which is no number to whoever reads it, and a Registry.pol that Samba cannot read at
// all; it is not parsed.
ValueData ReadQword(const char* list) {
  constexpr size_t kQwordSize = sizeof(ULONGLONG);
  BYTE bytes[kQwordSize + 1] = {};  // room for a ninth item, which refuses the list
  size_t items = ReadListItems(list, bytes, std::min(ListByteCount(list), sizeof bytes));
  ValueData value;
  if (items != kQwordSize) return value;
  value.bytes = AllocateZeroed(kQwordSize);
  std::memcpy(value.bytes.get(), bytes, kQwordSize);
  value.length = kQwordSize;
  return value;
}

// Converts UTF-16 text to the ANSI code page, refusing text the code page cannot hold rather than
// writing substitutes. Returns the byte count (0 for an empty or refused text).
int NarrowText(const WCHAR* text, int units, char* target, int capacity, bool* refused) {
  BOOL substituted = FALSE;
  bool utf8 = GetACP() == CP_UTF8;
  DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  int bytes = WideCharToMultiByte(CP_ACP, flags, text, units, target, capacity, nullptr,
                                  utf8 ? nullptr : &substituted);
  *refused = units > 0 && (bytes <= 0 || substituted);
  return *refused ? 0 : bytes;
}

// REG_EXPAND_SZ and REG_MULTI_SZ lists hold UTF-16LE code units, which the registry's 8-bit
// interface takes in the ANSI code page. A list of odd length ends in half a code unit, taken with
// a zero high byte; as the editor's own length rule does, only an even list counts a terminator
// after its text (the zero-filled buffer always holds one).
ValueData ReadNarrowedList(const char* list) {
  size_t count = ListByteCount(list);
  ValueData value;
  size_t units = (count + 1) / 2;
  if (units > static_cast<size_t>(std::numeric_limits<int>::max() / 4)) return value;
  std::vector<BYTE> bytes(units * 2);
  ReadListItems(list, bytes.data(), count);
  std::vector<WCHAR> text(units);
  for (size_t i = 0; i < units; ++i) {
    text[i] = static_cast<WCHAR>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  bool refused = false;
  int narrowed = NarrowText(text.data(), static_cast<int>(units), nullptr, 0, &refused);
  if (refused) return value;
  value.bytes = AllocateZeroed(static_cast<size_t>(narrowed) + 1);
  NarrowText(text.data(), static_cast<int>(units), reinterpret_cast<char*>(value.bytes.get()),
             narrowed, &refused);
  value.length = static_cast<DWORD>(narrowed) + (count % 2 == 0 ? 1 : 0);
  return value;
}

ValueData ReadValue(const Marker& marker, const char* found) {
  const char* after = found + std::strlen(marker.text);
  switch (marker.rule) {
    case Rule::String:
      return ReadString(found);
    case Rule::Dword:
      return ReadDword(after);
    case Rule::ByteList:
      return ReadByteList(after);
    case Rule::NarrowedList:
      return ReadNarrowedList(after);
    case Rule::Qword:
      return ReadQword(after);
  }
  return ValueData();
}

// The name between the entry's first byte and the byte before the equals sign; the quotes that
// normally stand there are dropped without being tested.
LocalBuffer ReadName(const char* entry, const char* equals) {
  size_t before = static_cast<size_t>(equals - entry);
  LocalBuffer name = AllocateZeroed(before);
  if (before > 2) CopyWholeCharacters(name.get(), entry + 1, before - 2);
  return name;
}

// The value text without a ';' comment that stands before any quote, nor the blanks before
// it, so that what the comment says ("; 1 = \"on\"", ";db 3,6,9") neither decides the value's
// type nor adds list items; *cut holds the copy when there is one. A quote before the ';' makes
// the value a string, whose comment ReadString finds after its closing quote. Most entries hold
// no semicolon byte at all, which a plain byte search tells fastest.
const char* ValueTextBeforeComment(const char* value_text, std::string* cut) {
  if (std::strchr(value_text, ';') == nullptr) return value_text;
  const char* comment = FindAnsiChar(value_text, ';');
  const char* quote = FindAnsiChar(value_text, '"');
  if (comment == nullptr || (quote != nullptr && quote < comment)) return value_text;
  const char* end = comment;
  while (end > value_text && IsBlank(end[-1])) --end;
  cut->assign(value_text, end);
  return cut->c_str();
}

// A minus sign alone, or before a comment.
bool IsDeletionText(const char* value_text) {
  while (IsBlank(*value_text)) ++value_text;
  if (*value_text++ != '-') return false;
  while (IsBlank(*value_text)) ++value_text;
  return *value_text == '\0' || *value_text == ';';
}

}  // namespace

bool ParseDeletion(const char* entry, LPSTR* name) {
  const char* equals = FindAnsiChar(entry, '=');
  if (equals == nullptr) return false;
  if (!IsDeletionText(equals + 1)) return false;
  *name = entry[0] != '@' ? reinterpret_cast<LPSTR>(ReadName(entry, equals).release()) : nullptr;
  return true;
}

bool ParseEntry(const char* entry, LPSTR* name, LPBYTE* data, DWORD* length, DWORD* type) {
  const char* equals = FindAnsiChar(entry, '=');
  if (equals == nullptr) return false;
  std::string cut;
  const char* value_text = ValueTextBeforeComment(equals + 1, &cut);
  for (const Marker& marker : kMarkers) {
    const char* found = FindAnsiText(value_text, marker.text);
    if (found == nullptr) continue;
    ValueData value = ReadValue(marker, found);
    if (!value.bytes) return false;
    LocalBuffer value_name;
    if (entry[0] != '@') value_name = ReadName(entry, equals);
    *name = reinterpret_cast<LPSTR>(value_name.release());
    *data = value.bytes.release();
    *length = value.length;
    *type = marker.type;
    return true;
  }
  return false;
}
