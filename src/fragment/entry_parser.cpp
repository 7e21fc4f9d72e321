#include "entry_parser.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>

#include "common/ansi_text.h"
#include "common/local_memory.h"
#include "hex_number.h"

namespace {

using LocalBuffer = LocalPointer<BYTE>;

// How a value's text is read. The first marker found anywhere in the value text decides,
// wherever it stands, in the order of kMarkers; a typed list ("hex(N):") is looked for after them.
enum class Rule { String, Dword, ByteList, FixedList, Utf16List };
struct Marker {
  const char* text;
  DWORD type;
  Rule rule;
};
constexpr Marker kMarkers[] = {
    {"\"", REG_SZ, Rule::String},
    {"dword:", REG_DWORD, Rule::Dword},
    {"hex:", REG_BINARY, Rule::ByteList},
};
constexpr char kTypedListStart[] = "hex(";
// Hex digits of a type number: a DWORD holds eight.
constexpr size_t kMostTypeDigits = 8;

// The value syntax an entry's text holds: the rule, the type and where the rule's text starts
// (the quote of a string, the first item of a list).
struct ValueSyntax {
  Rule rule;
  DWORD type;
  const char* text;
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

// A number (REG_DWORD, REG_DWORD_BIG_ENDIAN, REG_QWORD) is a list of exactly its size in items.
// Any other list would make a value of another length, which is no number to whoever reads it,
// and a Registry.pol that Samba cannot read at all; it is not parsed.
ValueData ReadFixedList(const char* list, size_t size) {
  BYTE bytes[sizeof(ULONGLONG) + 1] = {};  // room for one item more, which refuses the list
  size_t items = ReadListItems(list, bytes, std::min(ListByteCount(list), size + 1));
  ValueData value;
  if (items != size) return value;
  value.bytes = AllocateZeroed(size);
  std::memcpy(value.bytes.get(), bytes, size);
  value.length = static_cast<DWORD>(size);
  return value;
}

// A list of UTF-16LE text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) keeps the bytes the list gives,
// terminators included, as the registry editor stores them: no code page stands between the list
// and the value, and a value exported as a list comes back byte for byte. Only an empty string
// list gets a terminator: a string of no bytes at all makes a Registry.pol that Samba cannot read.
ValueData ReadUtf16List(const char* list, DWORD type) {
  ValueData value = ReadByteList(list);
  if (value.bytes && value.length == 0 && type != REG_MULTI_SZ) {
    value.bytes = AllocateZeroed(sizeof(WCHAR));
    value.length = sizeof(WCHAR);
  }
  return value;
}

ValueData ReadValue(const ValueSyntax& syntax) {
  switch (syntax.rule) {
    case Rule::String:
      return ReadString(syntax.text);
    case Rule::Dword:
      return ReadDword(syntax.text);
    case Rule::ByteList:
      return ReadByteList(syntax.text);
    case Rule::FixedList:
      return ReadFixedList(syntax.text,
                           syntax.type == REG_QWORD ? sizeof(ULONGLONG) : sizeof(DWORD));
    case Rule::Utf16List:
      return ReadUtf16List(syntax.text, syntax.type);
  }
  return ValueData();
}

// The rule for a list of type number type: text types as UTF-16, numbers of their fixed size,
// every other type as its bytes.
Rule TypedListRule(DWORD type) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
      return Rule::Utf16List;
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD:
      return Rule::FixedList;
    default:
      return Rule::ByteList;
  }
}

// The first "hex(N):" in text, N one to eight hex digits in either case, as the registry editor
// writes every type it has no other form for. The digits are ASCII, so reading them from a match
// that starts on a character boundary stays on the text's characters.
bool FindTypedList(const char* text, ValueSyntax* syntax) {
  for (const char* found = FindAnsiText(text, kTypedListStart); found != nullptr;
       found = FindAnsiText(found + 1, kTypedListStart)) {
    const char* digit = found + std::strlen(kTypedListStart);
    DWORD type = 0;
    size_t digits = 0;
    for (; HexDigitValue(*digit) >= 0 && digits <= kMostTypeDigits; ++digit, ++digits) {
      type = type << 4 | static_cast<DWORD>(HexDigitValue(*digit));
    }
    if (digits == 0 || digits > kMostTypeDigits || digit[0] != ')' || digit[1] != ':') continue;
    *syntax = {TypedListRule(type), type, digit + 2};
    return true;
  }
  return false;
}

bool FindValueSyntax(const char* value_text, ValueSyntax* syntax) {
  for (const Marker& marker : kMarkers) {
    const char* found = FindAnsiText(value_text, marker.text);
    if (found == nullptr) continue;
    const char* text = marker.rule == Rule::String ? found : found + std::strlen(marker.text);
    *syntax = {marker.rule, marker.type, text};
    return true;
  }
  return FindTypedList(value_text, syntax);
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

bool ParseEntry(const char* entry, LPSTR* name, LPBYTE* data, DWORD* length, DWORD* type,
                DataForm* form) {
  const char* equals = FindAnsiChar(entry, '=');
  if (equals == nullptr) return false;
  std::string cut;
  ValueSyntax syntax;
  if (!FindValueSyntax(ValueTextBeforeComment(equals + 1, &cut), &syntax)) return false;
  ValueData value = ReadValue(syntax);
  if (!value.bytes) return false;
  LocalBuffer value_name;
  if (entry[0] != '@') value_name = ReadName(entry, equals);
  *name = reinterpret_cast<LPSTR>(value_name.release());
  *data = value.bytes.release();
  *length = value.length;
  *type = syntax.type;
  *form = syntax.rule == Rule::String ? DataForm::AnsiText : DataForm::AsStored;
  return true;
}
