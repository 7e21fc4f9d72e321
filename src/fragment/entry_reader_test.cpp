#include "entry_reader.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/code_page_switch.h"
#include "support/registry_root.h"

namespace {

using Bytes = std::vector<BYTE>;

struct Value {
  std::string name;
  DWORD type;
  Bytes data;
};

// The lines as the profile reader returns a section: each NUL-terminated, then an empty one.
std::string Section(const std::vector<std::string>& lines) {
  std::string block;
  for (const std::string& line : lines) block += line + '\0';
  return block + '\0';
}

std::string Import(const std::vector<std::string>& lines, HKEY key) {
  std::string block = Section(lines);
  testing::internal::CaptureStdout();
  ImportEntries(block.c_str(), key);
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

// Every value of key, as the A functions return them.
std::vector<Value> Values(HKEY key) {
  std::vector<Value> values;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD name_length = sizeof name;
    DWORD type = 0;
    BYTE data[128 * 1024];
    DWORD size = sizeof data;
    if (RegEnumValueA(key, index, name, &name_length, nullptr, &type, data, &size) != 0) break;
    values.push_back({name, type, Bytes(data, data + size)});
  }
  return values;
}

// Values in name order: Wine enumerates a key's values sorted by name, where Windows and the
// Linux platform keep the order they were created in, so the Windows build compares them as sets.
std::vector<Value> AsSet(std::vector<Value> values) {
#ifdef _WIN32
  std::sort(values.begin(), values.end(),
            [](const Value& a, const Value& b) { return a.name < b.name; });
#endif
  return values;
}

bool operator==(const Value& a, const Value& b) {
  return a.name == b.name && a.type == b.type && a.data == b.data;
}

void PrintTo(const Value& value, std::ostream* out) {
  *out << '"' << value.name << "\" type " << value.type << " bytes";
  for (BYTE byte : value.data) *out << ' ' << static_cast<int>(byte);
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end() + 1);
}

#ifndef _WIN32
// A value too large for the registry to keep (Registry.pol holds at most 65,535 bytes).
std::string HugeList() {
  std::string list;
  for (int i = 0; i < 70000; ++i) list += "00,";
  return list;
}
#endif

class EntryReaderTest : public testing::Test {
 protected:
  ~EntryReaderTest() override { RegCloseKey(key_); }

  ScratchRegistryRoot hive_;
  HKEY key_ = hive_.Open();
};

struct ReaderCase {
  const char* what;
  std::vector<std::string> lines;
  std::string output;
  std::vector<Value> values;
  UINT code_page = 0;  // the one the row needs; 0 for any
};

#ifndef _WIN32
const std::string kFileTooLarge = std::to_string(ERROR_FILE_TOO_LARGE);
#endif

const ReaderCase kCases[] = {
    {"empty section", {}, "", {}},
    {"every syntax",
     {"@=\"default\"", "\"S\"=\"x\"", "\"N\"=dword:2a", "\"B\"=hex:01,ff",
      "\"Q\"=hex(b):01,00,00,00,00,00,00,00", "\"E\"=hex(2):25,00,41,00,00,00",
      "\"M\"=hex(7):61,00,00,00,62,00,00,00,00,00"},
     "",
     {{"", REG_SZ, Text("default")},
      {"S", REG_SZ, Text("x")},
      {"N", REG_DWORD, {0x2a, 0, 0, 0}},
      {"B", REG_BINARY, {1, 0xff}},
      {"Q", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}},
      {"E", REG_EXPAND_SZ, {'%', 'A', 0}},
      {"M", REG_MULTI_SZ, {'a', 0, 'b', 0, 0}}}},
    {"a list over three lines is one value",
     {"\"B\"=hex:01,02,\\", "03,04,\\", "05", "\"N\"=dword:1"},
     "",
     {{"B", REG_BINARY, {1, 2, 3, 4, 5}}, {"N", REG_DWORD, {1, 0, 0, 0}}}},
    {"a parse failure names the entry's last line",
     {"\"B\"=hez:01,\\", "02,\\", "03"},
     "Error 0, unable to parse entry: 03\n",
     {}},
    {"a backslash on the section's last line is dropped",
     {"\"B\"=hex:01,02\\"},
     "",
     {{"B", REG_BINARY, {1, 2}}}},
    {"joining stops at the section's end even when a backslash remains",
     {"\"S\"=\"a\\\\"},
     "",
     {{"S", REG_SZ, Text("a")}}},
    {"a lone backslash joins with the next line",
     {"\\", "\"N\"=dword:2"},
     "",
     {{"N", REG_DWORD, {2, 0, 0, 0}}}},
    {"a non-ASCII line continues like any other",
     {"\"S\"=\"\xc3\xa9\\", "x\""},
     "",
     {{"S", REG_SZ, Text("\xc3\xa9x")}}},
    {"well-formed UTF-8 over two lines is kept as it stands",
     {"\"S\"=\"\xe4\xb8\xad\\", "\xf0\x9f\x98\x80 a long ASCII tail\""},
     "",
     {{"S", REG_SZ, Text("\xe4\xb8\xad\xf0\x9f\x98\x80 a long ASCII tail")}},
     65001},
    // Bytes that are no UTF-8 are kept as they stand: a byte list counts them as they are, and
    // the registry refuses them in names and strings instead of storing replacement characters.
    {"an encoded surrogate, an overlong form and a stray byte are no UTF-8",
     {"\"B\"=hex:01,\xed\xa0\x80", "\"C\"=hex:01,\xc0\xaf", "\"D\"=hex:01,\xff,02,03,04,05"},
     "",
     {{"B", REG_BINARY, {1, 0}}, {"C", REG_BINARY, {1, 0}}, {"D", REG_BINARY, {1, 0, 2, 3, 4}}}},
#ifndef _WIN32
    // Linux only: Windows' registry stores such bytes as replacement characters (U+FFFD).
    {"GBK bytes in names and strings, also on a continuation line, are refused",
     {"\"S\"=\"a\\", "\xff\"", "\"\xd6\xd0\"=dword:1", "\"Desc\"=\"\xd6\xd0 AVIF\"",
      "\"N\"=dword:1"},
     "Error 1113, unable to write value: S\n"
     "Error 1113, unable to write value: \xd6\xd0\n"
     "Error 1113, unable to write value: Desc\n",
     {{"N", REG_DWORD, {1, 0, 0, 0}}},
     65001},
#endif
    // A deletion takes the value out and leaves its delete record, set or not before; a value
    // written removes its record, so the two never stand side by side.
    {"deletions, in another case, with blanks and a comment, of the default value",
     {"\"X\"=dword:1", "\"Keep\"=dword:2", "\"x\"= - ; gone", "\"Y\"=-", "@=-"},
     "",
     {{"Keep", REG_DWORD, {2, 0, 0, 0}},
      {"**del.x", REG_SZ, Text(" ")},
      {"**del.Y", REG_SZ, Text(" ")},
      {"**del.", REG_SZ, Text(" ")}}},
    {"the later of a value and its deletion wins",
     {"\"X\"=-", "\"x\"=dword:1", "\"Y\"=dword:2", "\"Y\"=-"},
     "",
     {{"x", REG_DWORD, {1, 0, 0, 0}}, {"**del.Y", REG_SZ, Text(" ")}}},
    {"a minus with more text, or inside a string, is no deletion",
     {"\"X\"=-x", "\"S\"=\"-\""},
     "Error 0, unable to parse entry: \"X\"=-x\n",
     {{"S", REG_SZ, Text("-")}}},
#ifndef _WIN32
    // Linux only: the Windows registry keeps a value of any size; Registry.pol, which the
    // Linux platform writes at once, holds at most 65,535 bytes.
    {"a refused write's code reaches later parse failures until a write succeeds",
     {"\"Big\"=hex:" + HugeList(), "\"X\"=-x", "\"N\"=dword:1", "\"Y\"=-x"},
     "Error " + kFileTooLarge + ", unable to write value: Big\n" + "Error " + kFileTooLarge +
         ", unable to parse entry: \"X\"=-x\n" + "Error 0, unable to parse entry: \"Y\"=-x\n",
     {{"N", REG_DWORD, {1, 0, 0, 0}}}},
    {"a refused default value prints (null)",
     {"@=hex:" + HugeList()},
     "Error " + kFileTooLarge + ", unable to write value: (null)\n",
     {}},
#endif
};

TEST_F(EntryReaderTest, WritesValuesAndPrintsFailures) {
  for (const ReaderCase& row : kCases) {
    std::optional<CodePageSwitch> code_page;
    if (row.code_page != 0 && !code_page.emplace(row.code_page).active()) continue;
    ScratchRegistryRoot hive;
    HKEY key = hive.Open();
    EXPECT_EQ(Import(row.lines, key), row.output) << row.what;
    EXPECT_EQ(AsSet(Values(key)), AsSet(row.values)) << row.what;
    RegCloseKey(key);
  }
}

TEST_F(EntryReaderTest, ClosedKeyFailsEveryWrite) {
  HKEY closed = hive_.Open();
  RegCloseKey(closed);
  std::string expected = "Error " + std::to_string(ERROR_INVALID_HANDLE) +
                         ", unable to write value: (null)\n" + "Error " +
                         std::to_string(ERROR_INVALID_HANDLE) + ", unable to parse entry: bad\n";
  EXPECT_EQ(Import({"@=\"x\"", "bad"}, closed), expected);
}

TEST_F(EntryReaderTest, WriteRefusedWithCodeFiveReachesTheParseFailure) {
  HKEY read_only = nullptr;
  ASSERT_EQ(RegOpenKeyExA(key_, nullptr, 0, KEY_READ, &read_only), 0);
  EXPECT_EQ(Import({"\"S\"=\"x\"", "\"X\"=-x", "@=\"y\"", "\"D\"=-", "@=-", "bad"}, read_only),
            "Error 5, unable to write value: S\n"
            "Error 5, unable to parse entry: \"X\"=-x\n"
            "Error 5, unable to write value: (null)\n"
            "Error 5, unable to delete value: D\n"
            "Error 5, unable to delete value: (null)\n"
            "Error 5, unable to parse entry: bad\n");
  EXPECT_EQ(Values(key_), std::vector<Value>{});
  RegCloseKey(read_only);
}

TEST_F(EntryReaderTest, LongValueOverThousandsOfLines) {
  std::vector<std::string> lines = {"\"B\"=hex:\\"};
  for (int i = 0; i < 20000; ++i) lines.push_back("01,02,\\");
  lines.push_back("03");
  EXPECT_EQ(Import(lines, key_), "");
  std::vector<Value> values = Values(key_);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].data.size(), 40001u);
  EXPECT_EQ(values[0].data.back(), 3);
}

// Under GBK, 0x81 0x5C is one character whose trail byte is a backslash: no continuation.
TEST_F(EntryReaderTest, TrailByteBackslashDoesNotContinue) {
  REQUIRE_CODE_PAGE(936);
  EXPECT_EQ(Import({"\"S\"=\"\xd6\xd0\x81\x5c\"", "\"N\"=dword:1"}, key_), "");
  EXPECT_EQ(AsSet(Values(key_)),
            AsSet({{"S", REG_SZ, Text("\xd6\xd0\x81\x5c")}, {"N", REG_DWORD, {1, 0, 0, 0}}}));
}

// A lead byte whose trail byte is missing is no character: it is kept, not read as a question
// mark, and the string's whole-character copy leaves it out; an entry whose first lines are
// ASCII reads a later line like that as it reads the first.
TEST_F(EntryReaderTest, CutDoubleByteCharacterOnAContinuationLine) {
  REQUIRE_CODE_PAGE(936);
  for (const auto& lines : {std::vector<std::string>{"\"S\"=\"\x81\""},
                            std::vector<std::string>{"\"S\"=\\", "\"\x81\""}}) {
    ScratchRegistryRoot hive;
    HKEY key = hive.Open();
    EXPECT_EQ(Import(lines, key), "");
    EXPECT_EQ(Values(key), (std::vector<Value>{{"S", REG_SZ, {0, 0}}})) << lines.size();
    RegCloseKey(key);
  }
}

}  // namespace
