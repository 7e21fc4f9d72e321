// The text of each value form, and its way back through the entry parser to the same record.
#include "value_entry.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "entry_parser.h"
#include "support/code_page_switch.h"

namespace {

using Bytes = std::vector<BYTE>;

WideText Wide(const std::u16string& text) {
  return WideText(text.begin(), text.end());
}

Bytes Utf16Data(const std::u16string& text) {
  Bytes bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<BYTE>(unit & 0xFF));
    bytes.push_back(static_cast<BYTE>(unit >> 8));
  }
  return bytes;
}

WideText FromAnsi(const char* text, int length) {
  WideText wide(static_cast<size_t>(length) * 2 + 1, WCHAR{});
  int units = MultiByteToWideChar(CP_ACP, 0, text, length, &wide[0], static_cast<int>(wide.size()));
  wide.resize(units > 0 ? static_cast<size_t>(units) : 0);
  return wide;
}

// The entry as the import reads it: continuation lines joined, and parsed; the record it writes,
// string text taken into UTF-16 with a terminator as RegSetValueExA takes it, and a deletion's
// delete record.
bool ReadBack(const WideText& entry, ValueRecord* record) {
  WideText joined = entry;
  const WideText continuation = Wide(u"\\\r\n  ");
  for (size_t at; (at = joined.find(continuation)) != WideText::npos;) {
    joined.erase(at, continuation.size());
  }
  int bytes = WideCharToMultiByte(CP_ACP, 0, joined.data(), static_cast<int>(joined.size()),
                                  nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, joined.data(), static_cast<int>(joined.size()), &ansi[0], bytes,
                      nullptr, nullptr);
  LPSTR name = nullptr;
  if (ParseDeletion(ansi.c_str(), &name)) {
    std::string deleted = std::string("**del.") + (name != nullptr ? name : "");
    LocalFree(name);
    *record = {
        FromAnsi(deleted.c_str(), static_cast<int>(deleted.size())), REG_SZ, {0x20, 0, 0, 0}};
    return true;
  }
  LPBYTE data = nullptr;
  DWORD length = 0;
  DataForm form = DataForm::AnsiText;
  if (!ParseEntry(ansi.c_str(), &name, &data, &length, &record->type, &form)) return false;
  record->name = name != nullptr ? FromAnsi(name, static_cast<int>(strlen(name))) : WideText();
  if (form == DataForm::AsStored) {
    record->data.assign(data, data + length);
  } else {
    WideText text = FromAnsi(reinterpret_cast<char*>(data), static_cast<int>(length));
    if (text.empty() || text.back() != WCHAR{}) text.push_back(WCHAR{});
    record->data = Utf16Data(std::u16string(text.begin(), text.end()));
  }
  LocalFree(name);
  LocalFree(data);
  return true;
}

struct EntryCase {
  std::u16string name;
  DWORD type;
  Bytes data;
  std::u16string entry;  // lines joined by CRLF
};

const std::u16string kNul(1, u'\0');

const EntryCase kEntryCases[] = {
    {u"Path", REG_SZ, Utf16Data(u"C:\\Temp" + kNul), u"\"Path\"=\"C:\\Temp\""},
    {u"", REG_SZ, Utf16Data(u"default" + kNul), u"@=\"default\""},
    {u"Quoted", REG_SZ, Utf16Data(u"say \"hi\"; \"bye\"" + kNul),
     u"\"Quoted\"=\"say \"hi\"; \"bye\"\""},
    {u"\u540d\u5b57", REG_SZ, Utf16Data(u"\u4e2d\u6587 \u00e9" + kNul),
     u"\"\u540d\u5b57\"=\"\u4e2d\u6587 \u00e9\""},
    {u"S", REG_SZ, Utf16Data(u"" + kNul), u"\"S\"=\"\""},
    // String data that is no one-line text ending in its only NUL is written as its bytes.
    {u"Lines", REG_SZ, Utf16Data(u"a\r\nb" + kNul),
     u"\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00"},
    {u"Open", REG_SZ, Utf16Data(u"ab"), u"\"Open\"=hex(1):61,00,62,00"},
    {u"Two", REG_SZ, Utf16Data(u"a" + kNul + kNul), u"\"Two\"=hex(1):61,00,00,00,00,00"},
    {u"Lone", REG_SZ, Utf16Data(u"\xd83d" + kNul), u"\"Lone\"=hex(1):3d,d8,00,00"},
    {u"Odd", REG_SZ, {0x61, 0, 0}, u"\"Odd\"=hex(1):61,00,00"},
    {u"N", REG_DWORD, {0x2a, 0, 0, 0x80}, u"\"N\"=dword:8000002a"},
    {u"Big", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 0x2a}, u"\"Big\"=hex(5):00,00,00,2a"},
    {u"Q", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 2}, u"\"Q\"=hex(b):01,00,00,00,00,00,00,02"},
    {u"E", REG_EXPAND_SZ, Utf16Data(u"%x%" + kNul), u"\"E\"=hex(2):25,00,78,00,25,00,00,00"},
    {u"M", REG_MULTI_SZ, Utf16Data(u"a" + kNul + kNul), u"\"M\"=hex(7):61,00,00,00,00,00"},
    {u"None", REG_NONE, {}, u"\"None\"=hex(0):"},
    {u"Own", 0x12345, {0xff}, u"\"Own\"=hex(12345):ff"},
    // A list breaks before the item that would pass 80 columns.
    {u"Blob", REG_BINARY, Bytes(26, 0xab),
     u"\"Blob\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\r\n"
     u"  ab,ab,ab"},
    // Delete records: as the deletion they stand for only when spelled as the import writes them.
    {u"**del.Wallpaper", REG_SZ, {0x20, 0, 0, 0}, u"\"Wallpaper\"=-"},
    {u"**del.", REG_SZ, {0x20, 0, 0, 0}, u"@=-"},
    {u"**Del.Wallpaper", REG_SZ, {0x20, 0, 0, 0}, u"\"**Del.Wallpaper\"=\" \""},
    {u"**del.X", REG_SZ, Utf16Data(u"no" + kNul), u"\"**del.X\"=\"no\""},
    {u"**delvals.", REG_SZ, {0x20, 0, 0, 0}, u"\"**delvals.\"=\" \""},
};

TEST(ValueEntryTest, WritesTheMostReadableFormThatReadsBack) {
  REQUIRE_CODE_PAGE(65001);  // the round trip of text outside Latin-1 through the 8-bit parser
  for (const EntryCase& row : kEntryCases) {
    SCOPED_TRACE(testing::Message() << "value " << row.entry.size() << " units: "
                                    << std::string(row.entry.begin(), row.entry.end()));
    ValueRecord value{Wide(row.name), row.type, row.data};
    WideText entry;
    ASSERT_EQ(ValueEntry(value, &entry), ERROR_SUCCESS);
    EXPECT_EQ(entry, Wide(row.entry));
    ValueRecord back{};
    ASSERT_TRUE(ReadBack(entry, &back));
    EXPECT_EQ(back.name, value.name);
    EXPECT_EQ(back.type, value.type);
    EXPECT_EQ(back.data, value.data);
  }
}

TEST(ValueEntryTest, RefusesWhatTheImportCouldNotReadBack) {
  const struct {
    std::u16string name;
    DWORD type;
    Bytes data;
    LSTATUS status;
  } rows[] = {
      {u"a=b", REG_SZ, Utf16Data(u"x" + kNul), ERROR_INVALID_NAME},
      {u"line\nbreak", REG_DWORD, {1, 0, 0, 0}, ERROR_INVALID_NAME},
      {u"\xdc00", REG_DWORD, {1, 0, 0, 0}, ERROR_INVALID_NAME},
      {u"**del.a=b", REG_SZ, {0x20, 0, 0, 0}, ERROR_INVALID_NAME},
      {u"Short", REG_DWORD, {1, 0}, ERROR_INVALID_DATA},
      {u"Long", REG_QWORD, Bytes(9, 0), ERROR_INVALID_DATA},
      {u"Empty", REG_EXPAND_SZ, {}, ERROR_INVALID_DATA},
  };
  for (const auto& row : rows) {
    WideText entry = Wide(u"unchanged");
    EXPECT_EQ(ValueEntry({Wide(row.name), row.type, row.data}, &entry), row.status)
        << std::string(row.name.begin(), row.name.end());
    EXPECT_EQ(entry, Wide(u"unchanged"));
  }
}

}  // namespace
