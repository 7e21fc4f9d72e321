// RegSetValueExA, RegDeleteValueA, RegQueryValueExA and RegEnumValueA.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/registry_test_support.h"
#include "support/test_locale.h"

namespace {

using Names = std::vector<std::string>;

class RegValuesTest : public HiveTest {
 protected:
  RegValuesTest() : key_(CreateKey(root_, "Software\\Policies")) {}
  ~RegValuesTest() override { RegCloseKey(key_); }

  LSTATUS Set(const char* name, DWORD type, const std::string& data) {
    return SetValue(key_, name, type, data);
  }

  // The value's data through RegQueryValueExA; empty when it cannot be read.
  std::string Query(const char* name, DWORD* type = nullptr) {
    DWORD size = 0;
    if (RegQueryValueExA(key_, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return "?";
    std::string data(size, '\0');
    if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
      return "?";
    }
    return data.substr(0, size);
  }

  HKEY key_;
};

TEST_F(RegValuesTest, StoresStringsAsUtf16AndHandsThemBackInTheCodePage) {
  using std::string_literals::operator""s;
  struct Row {
    const char* what;
    DWORD type;
    std::string given;
    std::string stored;    // UTF-16LE bytes
    std::string returned;  // what RegQueryValueExA gives back
  };
  const Row rows[] = {
      {"terminated", REG_SZ, "hi\0"s, "h\0i\0\0\0"s, "hi\0"s},
      {"terminator added", REG_SZ, "hi"s, "h\0i\0\0\0"s, "hi\0"s},
      {"no data", REG_SZ, ""s, ""s, ""s},
      {"empty string", REG_SZ, "\0"s, "\0\0"s, "\0"s},
      {"expandable", REG_EXPAND_SZ, "%X%\0"s, "%\0X\0%\0\0\0"s, "%X%\0"s},
      {"multi", REG_MULTI_SZ, "a\0b\0\0"s, "a\0\0\0b\0\0\0\0\0"s, "a\0b\0\0"s},
      {"multi unterminated", REG_MULTI_SZ, "a\0b"s, "a\0\0\0b\0\0\0"s, "a\0b\0"s},
      {"Latin-1", REG_SZ, "\xc3\xa9\0"s, "\xe9\0\0\0"s, "\xc3\xa9\0"s},
      {"CJK", REG_SZ, "\xe4\xb8\xad\0"s, "\x2d\x4e\0\0"s, "\xe4\xb8\xad\0"s},
      {"last ASCII", REG_SZ, "\x7f"s, "\x7f\0\0\0"s, "\x7f\0"s},
      {"ASCII then Latin-1, unterminated", REG_SZ, "a\xc3\xa9"s, "a\0\xe9\0\0\0"s, "a\xc3\xa9\0"s},
      {"binary, odd length", REG_BINARY, "\1\2\3"s, "\1\2\3"s, "\1\2\3"s},
      {"binary with zeros", REG_BINARY, "a\0"s, "a\0"s, "a\0"s},
      {"dword", REG_DWORD, "\1\0\0\0"s, "\1\0\0\0"s, "\1\0\0\0"s},
      {"qword", REG_QWORD, "\1\0\0\0\0\0\0\2"s, "\1\0\0\0\0\0\0\2"s, "\1\0\0\0\0\0\0\2"s},
      {"none", REG_NONE, ""s, ""s, ""s},
      {"unknown type", 0x1234, "xy"s, "xy"s, "xy"s},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(Set("V", row.type, row.given), ERROR_SUCCESS) << row.what;
    std::optional<RegistryValue> stored = StoredValue(key_, u"V");
    ASSERT_TRUE(stored) << row.what;
    EXPECT_EQ(stored->type, row.type) << row.what;
    EXPECT_EQ(stored->data, Bytes(row.stored)) << row.what;
    DWORD type = 0;
    EXPECT_EQ(Query("V", &type), row.returned) << row.what;
    EXPECT_EQ(type, row.type) << row.what;
  }
}

TEST_F(RegValuesTest, RefusesDataItCannotStore) {
  struct Row {
    const char* what;
    DWORD type;
    std::string data;
    LSTATUS status;
  };
  const Row rows[] = {
      {"binary at the limit", REG_BINARY, std::string(65535, 'b'), ERROR_SUCCESS},
      {"binary past the limit", REG_BINARY, std::string(65536, 'b'), ERROR_FILE_TOO_LARGE},
      {"string at the limit", REG_SZ, std::string(32766, 's') + '\0', ERROR_SUCCESS},
      {"string past the limit", REG_SZ, std::string(32767, 's') + '\0', ERROR_FILE_TOO_LARGE},
      {"terminator pushes past", REG_SZ, std::string(32767, 's'), ERROR_FILE_TOO_LARGE},
      {"far past the limit", REG_EXPAND_SZ, std::string(1 << 20, 'e'), ERROR_FILE_TOO_LARGE},
      // GBK bytes in the UTF-8 code page are no text: refused, not stored as U+FFFD.
      {"string not in the code page", REG_SZ, "\xd6\xd0 AVIF", ERROR_NO_UNICODE_TRANSLATION},
      {"multi not in the code page", REG_MULTI_SZ, std::string("a\0\xff\0", 4),
       ERROR_NO_UNICODE_TRANSLATION},
  };
  ASSERT_EQ(Set("V", REG_DWORD, std::string(4, '\1')), ERROR_SUCCESS);
  for (const Row& row : rows) {
    ASSERT_EQ(Set("V", REG_DWORD, std::string(4, '\1')), ERROR_SUCCESS) << row.what;
    EXPECT_EQ(Set("V", row.type, row.data), row.status) << row.what;
    std::string expected = row.status == ERROR_SUCCESS ? row.data : std::string(4, '\1');
    EXPECT_EQ(Query("V"), expected) << row.what << ": refused data leave the value as it was";
    EXPECT_EQ(Set("New", row.type, row.data), row.status) << row.what;
    EXPECT_EQ(Query("New") == "?", row.status != ERROR_SUCCESS) << row.what;
    RegCloseKey(key_);
    RegDeleteKeyA(root_, "Software\\Policies");
    key_ = CreateKey(root_, "Software\\Policies");
  }
}

// As on Windows, a value is written only through a handle opened with KEY_SET_VALUE.
TEST_F(RegValuesTest, WritesNeedTheSetValueRight) {
  struct Row {
    const char* what;
    REGSAM access;
    LSTATUS status;
  };
  const Row rows[] = {
      {"read only", KEY_READ, ERROR_ACCESS_DENIED},
      {"no access at all", 0, ERROR_ACCESS_DENIED},
      {"set value alone", KEY_SET_VALUE, ERROR_SUCCESS},
      {"write", KEY_WRITE, ERROR_SUCCESS},
  };
  for (const Row& row : rows) {
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root_, "Software\\Policies", 0, row.access, &opened), 0) << row.what;
    EXPECT_EQ(SetValue(opened, row.what, REG_SZ, "x"), row.status) << row.what;
    EXPECT_EQ(StoredValue(key_, std::u16string(row.what, row.what + strlen(row.what))).has_value(),
              row.status == ERROR_SUCCESS)
        << row.what;
    EXPECT_EQ(RegDeleteValueA(opened, row.what), row.status) << row.what;
    RegCloseKey(opened);
  }
}

TEST_F(RegValuesTest, ValueNamesFollowWindowsLimits) {
  struct Row {
    std::string name;
    LSTATUS status;
  };
  const Row rows[] = {
      {std::string(16383, 'n'), ERROR_SUCCESS},
      {std::string(16384, 'n'), ERROR_FILENAME_EXCED_RANGE},
      {"**del.Other", ERROR_SUCCESS},
      {"a\\b;c", ERROR_SUCCESS},
      {"\xd6\xd0", ERROR_NO_UNICODE_TRANSLATION},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Set(row.name.c_str(), REG_SZ, "x"), row.status) << row.name.size();
    EXPECT_EQ(Query(row.name.c_str()) != "?", row.status == ERROR_SUCCESS) << row.name.size();
  }
}

TEST_F(RegValuesTest, KeepsCreationOrderAndFirstSpelling) {
  ASSERT_EQ(Set("Beta", REG_SZ, "1"), ERROR_SUCCESS);
  ASSERT_EQ(Set("alpha", REG_SZ, "2"), ERROR_SUCCESS);
  ASSERT_EQ(Set(nullptr, REG_SZ, "default"), ERROR_SUCCESS);
  ASSERT_EQ(Set("Gamma", REG_SZ, "3"), ERROR_SUCCESS);
  ASSERT_EQ(Set("ALPHA", REG_DWORD, std::string("\4\0\0\0", 4)), ERROR_SUCCESS);
  ASSERT_EQ(Set("", REG_SZ, "again"), ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(key_), (Names{"Beta", "alpha", "", "Gamma"}));
  DWORD type = 0;
  EXPECT_EQ(Query("Alpha", &type), std::string("\4\0\0\0", 4));
  EXPECT_EQ(type, DWORD{REG_DWORD});
  EXPECT_EQ(Query(nullptr), std::string("again", 6));
}

// Few values are found by a walk, many by an index built on the way: the same answers either way.
TEST_F(RegValuesTest, FindsValuesWithoutCaseInSmallAndLargeKeys) {
  for (int count : {1, 16, 17, 18, 100}) {
    HKEY key = CreateKey(root_, ("Software\\Count" + std::to_string(count)).c_str());
    Names spelled;
    for (int i = 0; i < count; ++i) {
      spelled.push_back("Value" + std::to_string(i));
      ASSERT_EQ(SetValue(key, spelled.back().c_str(), REG_SZ, "first"), ERROR_SUCCESS);
    }
    for (int i : {0, count / 2, count - 1}) {
      std::string other_case = "VALUE" + std::to_string(i);
      ASSERT_EQ(SetValue(key, other_case.c_str(), REG_SZ, "second"), ERROR_SUCCESS);
      char data[16] = {};
      DWORD size = sizeof data;
      std::string lower = "value" + std::to_string(i);
      EXPECT_EQ(RegQueryValueExA(key, lower.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(data), &size),
                ERROR_SUCCESS);
      EXPECT_STREQ(data, "second") << count << " values, value " << i;
    }
    EXPECT_EQ(ValueNames(key), spelled) << count << " values";
    // A removal, in another case, keeps the others' order and finds the last one still.
    EXPECT_EQ(RegDeleteValueA(key, "VALUE0"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "value0"), ERROR_FILE_NOT_FOUND);
    spelled.erase(spelled.begin());
    EXPECT_EQ(ValueNames(key), spelled) << count << " values";
    if (count > 1) {
      std::string last = "value" + std::to_string(count - 1);
      EXPECT_EQ(RegQueryValueExA(key, last.c_str(), nullptr, nullptr, nullptr, nullptr),
                ERROR_SUCCESS);
    }
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
  }
}

TEST_F(RegValuesTest, QueryAndEnumReportBufferLimits) {
  ASSERT_EQ(Set("Name", REG_SZ, "data"), ERROR_SUCCESS);  // stored and returned as "data\0"
  BYTE data[16];
  DWORD size = 4;
  EXPECT_EQ(RegQueryValueExA(key_, "Name", nullptr, nullptr, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(RegQueryValueExA(key_, "Name", nullptr, nullptr, data, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(key_, "Missing", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key_, "name", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

  char name[8];
  DWORD length = 4;
  size = sizeof data;
  EXPECT_EQ(RegEnumValueA(key_, 0, name, &length, nullptr, nullptr, data, &size), ERROR_MORE_DATA);
  length = 5;
  DWORD type = 0;
  EXPECT_EQ(RegEnumValueA(key_, 0, name, &length, nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(name, length), "Name");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string("data", 5));
  EXPECT_EQ(type, DWORD{REG_SZ});
  size = 2;
  length = sizeof name;
  EXPECT_EQ(RegEnumValueA(key_, 0, name, &length, nullptr, nullptr, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(RegEnumValueA(key_, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
}

TEST_F(RegValuesTest, RefusesDataWithoutABuffer) {
  EXPECT_EQ(RegSetValueExA(key_, "V", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key_, "V", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(Query("V"), "");
}

TEST_F(RegValuesTest, ConvertsFromADoubleByteCodePage) {
  ScopedLocale gbk(kGbkLocale);
  ASSERT_TRUE(gbk.active());
  // U+4E57 is 81 5C in GBK: its trail byte is a backslash.
  ASSERT_EQ(Set("\x81\x5c", REG_SZ, std::string("\x81\x5c\xb1\xed", 4)), ERROR_SUCCESS);
  std::optional<RegistryValue> stored = StoredValue(key_, u"\u4e57");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->data, Bytes(std::string("\x57\x4e\x68\x88\0\0", 6)));
  EXPECT_EQ(Query("\x81\x5c"), std::string("\x81\x5c\xb1\xed\0", 5));
  EXPECT_EQ(ValueNames(key_), Names{"\x81\x5c"});
}

}  // namespace
