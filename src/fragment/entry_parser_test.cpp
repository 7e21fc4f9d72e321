#include "entry_parser.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/code_page_switch.h"

namespace {

using Bytes = std::vector<BYTE>;

struct Parsed {
  bool parsed = false;
  bool default_name = false;
  DataForm form = DataForm::AnsiText;
  std::string name;
  DWORD type = 0;
  Bytes data;
};

Parsed Parse(const std::string& entry) {
  LPSTR name = nullptr;
  LPBYTE data = nullptr;
  DWORD length = 0;
  DWORD type = 0;
  Parsed result;
  result.parsed = ParseEntry(entry.c_str(), &name, &data, &length, &type, &result.form);
  if (!result.parsed) return result;
  result.default_name = name == nullptr;
  if (name != nullptr) result.name = name;
  result.type = type;
  result.data.assign(data, data + length);
  LocalFree(name);
  LocalFree(data);
  return result;
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end() + 1);
}

constexpr const char* kDefault = nullptr;

struct ParseCase {
  const char* entry;
  const char* name;  // kDefault for the key's default value
  DWORD type;
  Bytes data;
};

const ParseCase kParsedCases[] = {
    // Strings keep everything between the first quote and the entry's last byte, unescaped.
    {R"("Path"="C:\\Temp")", "Path", REG_SZ, Text(R"(C:\\Temp)")},
    {R"(@="x")", kDefault, REG_SZ, Text("x")},
    {R"("S"="ab"  )", "S", REG_SZ, Text("ab\" ")},
    {R"("S"="open)", "S", REG_SZ, Text("ope")},
    {R"("S"=")", "S", REG_SZ, {0}},  // the empty string, terminator included
    {R"("S"="has dword:5 and hex:01")", "S", REG_SZ, Text("has dword:5 and hex:01")},
    {R"("a=b"=dword:1)", "", REG_SZ, Text("=dword:")},
    {R"("S"=x"y")", "S", REG_SZ, Text("y")},
    // A comment after the closing quote ends the string there; a semicolon inside stays data.
    {R"("S"="Off" ; Windows 10 10240 and later)", "S", REG_SZ, Text("Off")},
    {R"("S"="a;b";c)", "S", REG_SZ, Text("a;b")},
    {R"("S"="";c)", "S", REG_SZ, {0}},
    // Double words read as strtoul does in base 16.
    {R"("N"=dword:0000000a)", "N", REG_DWORD, {0x0a, 0, 0, 0}},
    {R"("N"=dword:ffffffff)", "N", REG_DWORD, {0xff, 0xff, 0xff, 0xff}},
    {R"("N"=dword:)", "N", REG_DWORD, {0, 0, 0, 0}},
    {R"("N"=dword:100000000)", "N", REG_DWORD, {0xff, 0xff, 0xff, 0xff}},
    {R"("N"=dword:-100000000)", "N", REG_DWORD, {0xff, 0xff, 0xff, 0xff}},
    {R"("N"=dword:-2)", "N", REG_DWORD, {0xfe, 0xff, 0xff, 0xff}},
    {"\"N\"=dword: \t0X1F", "N", REG_DWORD, {0x1f, 0, 0, 0}},
    {R"("N"=dword:+12ab junk)", "N", REG_DWORD, {0xab, 0x12, 0, 0}},
    {R"("N"=dword:zz)", "N", REG_DWORD, {0, 0, 0, 0}},
    {R"("N"=dword:0x)", "N", REG_DWORD, {0, 0, 0, 0}},
    // Byte lists: three characters of text per byte, garbage items give their leading digits.
    {R"("B"=hex:01,ff)", "B", REG_BINARY, {0x01, 0xff}},
    {R"("B"=hex:)", "B", REG_BINARY, {}},
    {R"("B"=hex:01,02,03,  04,05,  06,07,  08)", "B", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8, 0, 0}},
    {R"("B"=hex:zz,-1,1ff,,7fffffffff,-80000001)",
     "B",
     REG_BINARY,
     {0, 0xff, 0xff, 0, 0xff, 0, 0, 0, 0, 0}},
    {R"("B"=hex:0x1f, 2)", "B", REG_BINARY, {0x1f, 0x02}},
    // Items that are almost the editor's two digits and a comma follow the general rules.
    {R"("B"=hex:1f0,0g,g0,0x,x1,12 ,Ab,cD)", "B", REG_BINARY, {0xf0, 0, 0, 0, 0, 0x12, 0xab, 0xcd}},
    {R"("B"=hex:9F,fA,/0,:0,@0,G0,`0,g0,0/,0:,0@,0G,0`,0g,00)",
     "B",
     REG_BINARY,
     {0x9f, 0xfa, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {R"("Q"=hex(b):01,00,00,00,00,00,00,00)", "Q", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}},
    {R"("Q"=hex(b):ff,ff,ff,ff,ff,ff,ff,ff,)", "Q", REG_QWORD, Bytes(8, 0xff)},
    // A comment after a list adds no bytes, nor do the blanks before it.
    {R"("B"=hex:03,00,00,00 ;db 3,6,9)", "B", REG_BINARY, {3, 0, 0, 0}},
    {R"("B"=hex:01,  02,  03  ;,07)", "B", REG_BINARY, {1, 2, 3, 0}},
    {R"("Q"=hex(b):01,00,00,00,00,00,00,00 ;db 3,6)", "Q", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}},
    {R"("E"=hex(2):41,00,00,00 ; 4,1)", "E", REG_EXPAND_SZ, {0x41, 0, 0, 0}},
    {R"("M"=hex(7):41,00,00,00,00,00;x,y)", "M", REG_MULTI_SZ, {0x41, 0, 0, 0, 0, 0}},
    // A quote or a type named in such a comment does not make the value another type.
    {R"("N"=dword:1 ; 1 = "on")", "N", REG_DWORD, {1, 0, 0, 0}},
    {R"("B"=hex:01 ; was dword:5)", "B", REG_BINARY, {1}},
    // Marker order decides, not position.
    {R"("T"=hex:01,dword:5)", "T", REG_DWORD, {5, 0, 0, 0}},
    {R"("T"=hex(b):01,hex:02)", "T", REG_BINARY, {0x02}},
    // Text lists keep the list's bytes, text and terminators, as the editor stores them.
    {R"("E"=hex(2):25,00,41,00,00,00)", "E", REG_EXPAND_SZ, {0x25, 0, 0x41, 0, 0, 0}},
    {R"("S"=hex(1):3d,d8,00,de,00,00)", "S", REG_SZ, {0x3d, 0xd8, 0, 0xde, 0, 0}},
    {R"("E"=hex(2):41,00,42)", "E", REG_EXPAND_SZ, {0x41, 0, 0x42}},
    {R"("E"=hex(2):)", "E", REG_EXPAND_SZ, {0, 0}},
    {R"("M"=hex(7):)", "M", REG_MULTI_SZ, {}},
    // Every other type number, in the editor's digits or capitals, keeps the list's bytes.
    {R"("N"=hex(0):00)", "N", REG_NONE, {0}},
    {R"("N"=hex(4):2a,00,00,00)", "N", REG_DWORD, {0x2a, 0, 0, 0}},
    {R"("N"=hex(5):00,00,00,2a)", "N", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 0x2a}},
    {R"("R"=hex(a):01,02,03)", "R", 0xa, {1, 2, 3}},
    {R"("Q"=hex(B):01,00,00,00,00,00,00,00)", "Q", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}},
    {R"("X"=hex(ffff0000):ff)", "X", 0xffff0000, {0xff}},
    // Names: first and last bytes before the equals sign are dropped untested.
    {R"(=dword:1)", "", REG_DWORD, {1, 0, 0, 0}},
    {R"(a=dword:1)", "", REG_DWORD, {1, 0, 0, 0}},
    {R"(ab=dword:1)", "", REG_DWORD, {1, 0, 0, 0}},
    {R"(xaby=dword:1)", "ab", REG_DWORD, {1, 0, 0, 0}},
    {R"(@anything=dword:1)", kDefault, REG_DWORD, {1, 0, 0, 0}},
    {R"("a\"b"=dword:1)", R"(a\"b)", REG_DWORD, {1, 0, 0, 0}},
};

TEST(ParseEntryTest, ReadsNameTypeAndData) {
  for (const ParseCase& row : kParsedCases) {
    Parsed result = Parse(row.entry);
    SCOPED_TRACE(row.entry);
    ASSERT_TRUE(result.parsed);
    EXPECT_EQ(result.default_name, row.name == kDefault);
    EXPECT_EQ(result.name, row.name != kDefault ? row.name : "");
    EXPECT_EQ(result.type, row.type);
    EXPECT_EQ(result.data, row.data);
    // Only a quoted string's text goes through the code page.
    bool quoted = row.type == REG_SZ && std::string(row.entry).find("hex(1)") == std::string::npos;
    EXPECT_EQ(result.form, quoted ? DataForm::AnsiText : DataForm::AsStored);
  }
}

TEST(ParseEntryTest, RejectsEntriesWithoutEqualsOrMarker) {
  const char* const rejected[] = {
      "", R"("abc")", R"("X"=-)", R"("X"=-x)", R"("X"=- x)", R"("X"=DWORD:1)", R"("X"=HEX:01)",
      "just text",
      // Type numbers of no digits, of more than a DWORD's, of other characters.
      R"("X"=hex():01)", R"("X"=hex(100000000):01)", R"("X"=hex(g):01)", R"("X"=hex(2:01)",
      // A 32-bit number of other than four items.
      R"("X"=hex(4):01,00,00)", R"("X"=hex(5):01,00,00,00,00)",
      // A 64-bit number of other than eight items.
      R"("X"=hex(b):)", R"("X"=hex(b):01,02)", R"("X"=hex(b):01,00,00,00,00,00,00)",
      R"("X"=hex(b):01,00,00,00,00,00,00,00,00)",
      R"("X"=hex(b):1,2,3,4,5,6,7,8)",  // short items count as the editor's: five bytes
  };
  for (const char* entry : rejected) {
    LPSTR name = reinterpret_cast<LPSTR>(0x1);
    LPBYTE data = reinterpret_cast<LPBYTE>(0x2);
    DWORD length = 3;
    DWORD type = 4;
    DataForm form = DataForm::AnsiText;
    EXPECT_FALSE(ParseEntry(entry, &name, &data, &length, &type, &form)) << entry;
    EXPECT_EQ(name, reinterpret_cast<LPSTR>(0x1)) << entry;
    EXPECT_EQ(data, reinterpret_cast<LPBYTE>(0x2)) << entry;
    EXPECT_EQ(length, 3u) << entry;
    EXPECT_EQ(type, 4u) << entry;
  }
}

TEST(ParseEntryTest, ReadsValueDeletions) {
  struct Row {
    const char* entry;
    const char* name;  // kDefault for the key's default value, "-" when it is no deletion
  };
  const Row rows[] = {
      {R"("X"=-)", "X"},   {R"(@=-)", kDefault}, {"\"X\"= -\t; off", "X"},
      {R"("X"=-;)", "X"},  {R"("X"=-x)", "-"},   {R"("X"=--)", "-"},
      {R"("X"="-")", "-"}, {R"("X"-)", "-"},     {R"("a=b"=-)", "-"},
  };
  for (const Row& row : rows) {
    LPSTR name = reinterpret_cast<LPSTR>(0x1);
    bool deletion = ParseDeletion(row.entry, &name);
    EXPECT_EQ(deletion, std::string("-") != (row.name ? row.name : "")) << row.entry;
    if (!deletion) {
      EXPECT_EQ(name, reinterpret_cast<LPSTR>(0x1)) << row.entry;
      continue;
    }
    EXPECT_EQ(name == nullptr, row.name == kDefault) << row.entry;
    if (name != nullptr) {
      EXPECT_STREQ(name, row.name) << row.entry;
    }
    LocalFree(name);
  }
}

// The process runs in a UTF-8 locale: text is converted to UTF-8 and cut only between characters.
const ParseCase kUtf8Cases[] = {
    {"\"S\"=\"a\xc3\xa9", "S", REG_SZ, {'a', 0, 0}},
    {"\"S\"=\"\xe4\xb8\xad\"", "S", REG_SZ, Text("\xe4\xb8\xad")},
    {"\"\xc3\xa9=dword:1", "", REG_DWORD, {1, 0, 0, 0}},
    {"\"\xc3\xa9\"=dword:1", "\xc3\xa9", REG_DWORD, {1, 0, 0, 0}},
};

TEST(ParseEntryTest, CopiesWholeUtf8Characters) {
  REQUIRE_CODE_PAGE(65001);
  for (const ParseCase& row : kUtf8Cases) {
    Parsed result = Parse(row.entry);
    SCOPED_TRACE(row.entry);
    ASSERT_TRUE(result.parsed);
    EXPECT_EQ(result.name, row.name);
    EXPECT_EQ(result.type, row.type);
    EXPECT_EQ(result.data, row.data);
  }
}

// GBK: 0x81 0x64 is one character whose trail byte is 'd', 0x81 0x5C one whose trail byte is the
// backslash; U+4E2D is 0xD6 0xD0. A text list is no text in the code page: its bytes stay.
const ParseCase kGbkCases[] = {
    {"\"E\"=hex(2):2d,4e,01,0e,00,00", "E", REG_EXPAND_SZ, {0x2d, 0x4e, 0x01, 0x0e, 0, 0}},
    {"\"S\"=\"a\xd6\xd0", "S", REG_SZ, {'a', 0, 0}},
    {"\"S\"=\"\x81\x5c\"", "S", REG_SZ, Text("\x81\x5c")},
    {"\"\x81\x5c\"=dword:1", "\x81\x5c", REG_DWORD, {1, 0, 0, 0}},
    {"\"\xd6\xd0=dword:1", "", REG_DWORD, {1, 0, 0, 0}},
};

TEST(ParseEntryTest, DoubleByteTextUnderGbk) {
  REQUIRE_CODE_PAGE(936);
  for (const ParseCase& row : kGbkCases) {
    Parsed result = Parse(row.entry);
    SCOPED_TRACE(row.entry);
    ASSERT_TRUE(result.parsed);
    EXPECT_EQ(result.name, row.name);
    EXPECT_EQ(result.type, row.type);
    EXPECT_EQ(result.data, row.data);
  }
  // Markers are never found across a character's trail byte.
  for (const char* entry : {"\"S\"=\x81\x64word:5",
                            "\"S\"=\x81\x68"
                            "ex:01"}) {
    EXPECT_FALSE(Parse(entry).parsed) << entry;
  }
}

TEST(ParseEntryTest, HugeEntriesAreReadWhole) {
  std::string list(10 * 1024 * 1024, ',');
  for (size_t i = 0; i + 2 < list.size(); i += 3) list.replace(i, 2, "7f");
  Parsed binary = Parse("\"B\"=hex:" + list);
  ASSERT_TRUE(binary.parsed);
  ASSERT_EQ(binary.data.size(), (list.size() + 1) / 3);
  EXPECT_EQ(binary.data.front(), 0x7f);
  EXPECT_EQ(binary.data.back(), 0x7f);

  Parsed text = Parse("@=\"" + std::string(10 * 1024 * 1024, 'x') + "\"");
  ASSERT_TRUE(text.parsed);
  EXPECT_EQ(text.data.size(), 10u * 1024 * 1024 + 1);

  Parsed digits = Parse("\"N\"=dword:" + std::string(10 * 1024 * 1024, 'f'));
  ASSERT_TRUE(digits.parsed);
  EXPECT_EQ(digits.data, (Bytes{0xff, 0xff, 0xff, 0xff}));
}

}  // namespace
