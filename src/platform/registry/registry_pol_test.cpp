// The Registry.pol codec, through RegistryHive::Load and Save.
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/registry_test_support.h"

namespace {

using std::string_literals::operator""s;

std::string Utf16(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string Dword(DWORD value) {
  return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
          static_cast<char>(value >> 24)};
}

const std::string kHeader = "PReg\1\0\0\0"s;

// One record as the format lays it out, with a size that may disagree with the data.
std::string Record(std::u16string_view key, std::u16string_view name, DWORD type, DWORD size,
                   const std::string& data) {
  return Utf16(u"[") + Utf16(key) + "\0\0;\0"s + Utf16(name) + "\0\0;\0"s + Dword(type) + ";\0"s +
         Dword(size) + ";\0"s + data + "]\0"s;
}

std::string Record(std::u16string_view key, std::u16string_view name, DWORD type,
                   const std::string& data) {
  return Record(key, name, type, static_cast<DWORD>(data.size()), data);
}

std::string KeyOnly(std::u16string_view key) {
  return Record(key, u"", REG_NONE, "");
}

std::string Sz(std::u16string_view text) {
  return Utf16(text) + "\0\0"s;
}

HRESULT Load(const std::string& bytes, std::unique_ptr<RegistryHive>* hive) {
  return RegistryHive::Load(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), hive);
}

TEST(RegistryPolTest, LaysOutARecordByteForByte) {
  RegistryHive hive;
  HKEY root = hive.OpenRoot();
  HKEY key = CreateKey(root, "K");
  SetValue(key, "V", REG_DWORD, "\5\0\0\0"s);
  SetValue(key, "S", REG_SZ, "hi\0"s);
  const std::string expected = kHeader +
                               "[\0K\0\0\0;\0V\0\0\0;\0\4\0\0\0;\0\4\0\0\0;\0\5\0\0\0]\0"s +
                               "[\0K\0\0\0;\0S\0\0\0;\0\1\0\0\0;\0\6\0\0\0;\0h\0i\0\0\0]\0"s;
  EXPECT_EQ(hive.Save(), expected);
  RegCloseKey(key);
  RegCloseKey(root);
}

// Builds a hive through the A functions in a deliberately scrambled order.
std::string WriteScrambledHive() {
  RegistryHive hive;
  HKEY root = hive.OpenRoot();
  HKEY zeta = CreateKey(root, "Software\\Policies\\Zeta");
  SetValue(zeta, "z", REG_DWORD, "\1\0\0\0"s);
  RegCloseKey(CreateKey(root, "Software\\Windows NT\\X"));
  RegCloseKey(CreateKey(root, "Software\\Policies\\alpha"));
  RegCloseKey(CreateKey(root, "Software\\Windows\\Y"));
  HKEY beta = CreateKey(root, "Software\\Policies\\Beta\\Sub");
  HKEY policies = CreateKey(root, "software\\POLICIES");
  SetValue(policies, "Second", REG_SZ, "2"s);
  SetValue(policies, "**del.First", REG_SZ, " "s);
  SetValue(policies, "First", REG_BINARY, "\1\2\3"s);
  SetValue(policies, "second", REG_EXPAND_SZ, "%2%"s);
  SetValue(policies, nullptr, REG_SZ, "default"s);
  SetValue(root, "AtRoot", REG_DWORD, "\0\0\0\0"s);
  HKEY leaf = CreateKey(root, "Leaf With Default");
  SetValue(leaf, "", REG_NONE, ""s);  // reads exactly like the key-only record
  HKEY parent = CreateKey(root, "Parent With Default");
  SetValue(parent, "", REG_NONE, ""s);
  RegCloseKey(CreateKey(parent, "Child"));
  SetValue(root, "", REG_NONE, ""s);
  for (HKEY key : {zeta, beta, policies, leaf, parent, root}) RegCloseKey(key);
  return hive.Save();
}

const std::string kScrambledHiveFile =
    kHeader + Record(u"", u"AtRoot", REG_DWORD, "\0\0\0\0"s) + KeyOnly(u"Leaf With Default") +
    KeyOnly(u"Parent With Default\\Child") +
    Record(u"Software\\Policies", u"Second", REG_EXPAND_SZ, Sz(u"%2%")) +
    Record(u"Software\\Policies", u"**del.First", REG_SZ, Sz(u" ")) +
    Record(u"Software\\Policies", u"First", REG_BINARY, "\1\2\3"s) +
    Record(u"Software\\Policies", u"", REG_SZ, Sz(u"default")) +
    KeyOnly(u"Software\\Policies\\alpha") + KeyOnly(u"Software\\Policies\\Beta\\Sub") +
    Record(u"Software\\Policies\\Zeta", u"z", REG_DWORD, "\1\0\0\0"s) +
    KeyOnly(u"Software\\Windows\\Y") + KeyOnly(u"Software\\Windows NT\\X");

TEST(RegistryPolTest, WritesInTheWindowsEditorsOrder) {
  EXPECT_EQ(WriteScrambledHive(), kScrambledHiveFile);
}

TEST(RegistryPolTest, LoadingAndSavingGivesTheSameBytes) {
  const std::string files[] = {
      kScrambledHiveFile,
      kHeader,
      kHeader + Record(u"K", u"odd", REG_BINARY, "\1\2\3"s) +
          Record(u"K", u"next", REG_SZ, Sz(u"x")),
      kHeader + Record(u"\u00c4rger\\\u4e2d", u"\u041a\u043b\u044e\u0447;[]", REG_MULTI_SZ,
                       "a\0\0\0b\0\0\0\0\0"s),
      kHeader + Record(u"K", u"unterminated string", REG_SZ, Utf16(u"abc")) +
          Record(u"K", u"type 0 with data", REG_NONE, "x"s) +
          Record(u"K", u"big", REG_BINARY, std::string(65535, 'b')),
  };
  for (size_t i = 0; i < std::size(files); ++i) {
    std::unique_ptr<RegistryHive> hive;
    ASSERT_EQ(Load(files[i], &hive), S_OK) << "file " << i;
    EXPECT_EQ(hive->Save(), files[i]) << "file " << i;
  }
}

TEST(RegistryPolTest, LoadsOtherWritersFilesIntoTheSameHive) {
  struct Row {
    const char* what;
    std::string file;
    std::string saved;
  };
  const Row rows[] = {
      {"key-only record before every key's values",
       kHeader + KeyOnly(u"A") + Record(u"A", u"v", REG_DWORD, "\1\0\0\0"s) + KeyOnly(u"A\\B"),
       kHeader + Record(u"A", u"v", REG_DWORD, "\1\0\0\0"s) + KeyOnly(u"A\\B")},
      {"key repeated apart, spelled otherwise",
       kHeader + Record(u"A", u"1", REG_SZ, Sz(u"x")) + Record(u"B", u"2", REG_SZ, Sz(u"y")) +
           Record(u"a", u"3", REG_SZ, Sz(u"z")),
       kHeader + Record(u"A", u"1", REG_SZ, Sz(u"x")) + Record(u"A", u"3", REG_SZ, Sz(u"z")) +
           Record(u"B", u"2", REG_SZ, Sz(u"y"))},
      {"value repeated: first place, last data",
       kHeader + Record(u"A", u"v", REG_SZ, Sz(u"old")) + Record(u"A", u"w", REG_SZ, Sz(u"w")) +
           Record(u"A", u"V", REG_DWORD, "\2\0\0\0"s),
       kHeader + Record(u"A", u"v", REG_DWORD, "\2\0\0\0"s) + Record(u"A", u"w", REG_SZ, Sz(u"w"))},
      {"records sorted by a flat string sort",
       kHeader + KeyOnly(u"W NT") + KeyOnly(u"W\\x") + KeyOnly(u"W"),
       kHeader + KeyOnly(u"W\\x") + KeyOnly(u"W NT")},
      {"trailing backslash on a key", kHeader + KeyOnly(u"A\\"), kHeader + KeyOnly(u"A")},
  };
  for (const Row& row : rows) {
    std::unique_ptr<RegistryHive> hive;
    ASSERT_EQ(Load(row.file, &hive), S_OK) << row.what;
    EXPECT_EQ(hive->Save(), row.saved) << row.what;
  }
}

TEST(RegistryPolTest, RefusesEveryMalformedFile) {
  const std::string good = Record(u"Key", u"Value", REG_SZ, Sz(u"data"));
  std::u16string deep_key = u"k";
  for (int level = 2; level <= 513; ++level) deep_key += u"\\k";
  struct Row {
    const char* what;
    std::string file;
  };
  const Row rows[] = {
      {"no bytes", ""s},
      {"signature only", "PReg"s},
      {"other signature", "PREG\1\0\0\0"s + good},
      {"version 2", "PReg\2\0\0\0"s + good},
      {"header one byte short", "PReg\1\0\0"s},
      {"lone opening bracket", kHeader + "[\0"s},
      {"record cut in the data", kHeader + good.substr(0, good.size() - 6)},
      {"record without its closing bracket", kHeader + good.substr(0, good.size() - 2)},
      {"odd byte after a record", kHeader + good + "\0"s},
      {"half a bracket", kHeader + good + "["s},
      {"text between records", kHeader + good + "\n\0"s + good},
      {"NUL between records", kHeader + good + "\0\0"s + good},
      {"comma for a separator",
       kHeader + "[\0K\0\0\0,\0V\0\0\0;\0\4\0\0\0;\0\4\0\0\0;\0\5\0\0\0]\0"s},
      {"separator missing after type",
       kHeader + "[\0K\0\0\0;\0V\0\0\0;\0\4\0\0\0\4\0\0\0;\0\5\0\0\0]\0"s},
      {"parenthesis for a bracket",
       kHeader + "(\0K\0\0\0;\0V\0\0\0;\0\4\0\0\0;\0\4\0\0\0;\0\5\0\0\0)\0"s},
      {"size past the end", kHeader + Record(u"K", u"V", REG_BINARY, 10, "\1\2\3\4"s)},
      {"size short of the data", kHeader + Record(u"K", u"V", REG_BINARY, 2, "\1\2\3\4"s)},
      {"size past 65535", kHeader + Record(u"K", u"V", REG_BINARY, std::string(65536, 'b'))},
      {"key name never terminated", kHeader + "[\0K\0e\0y\0"s},
      {"value name never terminated", kHeader + "[\0K\0\0\0;\0V\0a\0"s},
      {"key name with an odd byte count", kHeader + "[\0K\0\0"s},
      {"key path with a leading backslash", kHeader + KeyOnly(u"\\Key")},
      {"key path with an empty level", kHeader + KeyOnly(u"A\\\\B")},
      {"key name of 256 characters", kHeader + KeyOnly(std::u16string(256, u'k'))},
      {"value name of 16384 characters",
       kHeader + Record(u"K", std::u16string(16384, u'v'), REG_SZ, Sz(u"x"))},
      {"keys 513 levels deep", kHeader + KeyOnly(deep_key)},
      {"good record, then a bad one", kHeader + good + KeyOnly(u"\\Bad")},
  };
  for (const Row& row : rows) {
    auto untouched = std::make_unique<RegistryHive>();
    RegistryHive* before = untouched.get();
    EXPECT_EQ(Load(row.file, &untouched), HRESULT_FROM_WIN32(ERROR_INVALID_DATA)) << row.what;
    EXPECT_EQ(untouched.get(), before) << row.what;
  }
  std::unique_ptr<RegistryHive> hive;
  EXPECT_EQ(Load(kHeader + good, &hive), S_OK) << "the good record alone loads";
}

}  // namespace
