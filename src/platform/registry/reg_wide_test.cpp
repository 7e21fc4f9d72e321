// RegQueryInfoKeyW, RegEnumKeyExW, RegEnumValueW and RegSetValueExW, against what Windows
// documents for each: counts without the terminator, ERROR_MORE_DATA for a buffer too small,
// ERROR_NO_MORE_ITEMS past the end.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/registry_test_support.h"
#include "support/test_locale.h"

namespace {

class RegWideTest : public HiveTest {
 protected:
  RegWideTest() : key_(CreateKey(root_, "Policies")) {
    // Created in this order: subkeys enumerate in name order without case, values in this order.
    for (const char* subkey : {"beta", "Alpha", "\xe4\xb8\xad"})
      RegCloseKey(CreateKey(key_, subkey));
    SetWide(u"\u4e2d\u6587", REG_SZ, std::u16string_view(u"\u6587\0", 2));
    SetWide(u"Zed", REG_BINARY, u"\x0201");
  }
  ~RegWideTest() override { RegCloseKey(key_); }

  LSTATUS SetWide(const std::u16string& name, DWORD type, std::u16string_view data) {
    return RegSetValueExW(key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size() * 2));
  }

  HKEY key_;
};

TEST_F(RegWideTest, EnumeratesInTheHivesOrderWithDocumentedBufferRules) {
  struct Row {
    const char* what;
    bool values;  // RegEnumValueW, else RegEnumKeyExW
    DWORD index;
    DWORD name_room;  // characters, terminator included
    DWORD data_room;  // bytes; ~0u: no data buffer, only its size asked
    LSTATUS status;
    std::u16string name;  // when it succeeds
    DWORD chars;          // *lpcchName afterwards
    DWORD data_size;      // *lpcbData afterwards
  };
  const DWORD kNoBuffer = ~0u;
  const Row rows[] = {
      {"first subkey, exact room", false, 0, 6, 0, ERROR_SUCCESS, u"Alpha", 5, 0},
      {"no room for the terminator", false, 0, 5, 0, ERROR_MORE_DATA, u"", 5, 0},
      {"second subkey", false, 1, 16, 0, ERROR_SUCCESS, u"beta", 4, 0},
      {"name outside Latin-1", false, 2, 16, 0, ERROR_SUCCESS, u"\u4e2d", 1, 0},
      {"past the last subkey", false, 3, 16, 0, ERROR_NO_MORE_ITEMS, u"", 16, 0},
      {"first value, data as stored", true, 0, 3, 4, ERROR_SUCCESS, u"\u4e2d\u6587", 2, 4},
      {"data size without a buffer", true, 0, 3, kNoBuffer, ERROR_SUCCESS, u"\u4e2d\u6587", 2, 4},
      {"data buffer too small", true, 0, 3, 3, ERROR_MORE_DATA, u"\u4e2d\u6587", 2, 4},
      {"value name too long", true, 0, 2, 4, ERROR_MORE_DATA, u"", 2, 4},
      {"second value", true, 1, 4, 4, ERROR_SUCCESS, u"Zed", 3, 2},
      {"past the last value", true, 2, 4, 4, ERROR_NO_MORE_ITEMS, u"", 4, 4},
  };
  for (const Row& row : rows) {
    std::u16string name(32, u'#');
    DWORD chars = row.name_room;
    BYTE data[8] = {};
    DWORD data_size = row.data_room == kNoBuffer ? 0 : row.data_room;
    BYTE* buffer = row.data_room == kNoBuffer ? nullptr : data;
    LSTATUS status = row.values ? RegEnumValueW(key_, row.index, name.data(), &chars, nullptr,
                                                nullptr, buffer, &data_size)
                                : RegEnumKeyExW(key_, row.index, name.data(), &chars, nullptr,
                                                nullptr, nullptr, nullptr);
    EXPECT_EQ(status, row.status) << row.what;
    EXPECT_EQ(chars, row.chars) << row.what;
    if (row.values) {
      EXPECT_EQ(data_size, row.data_size) << row.what;
    }
    if (status == ERROR_SUCCESS) {
      EXPECT_EQ(name.c_str(), row.name) << row.what;
    }
  }
}

TEST_F(RegWideTest, QueryInfoMeasuresInCharactersAndBytes) {
  ASSERT_EQ(SetWide(u"Longest value name", REG_DWORD, std::u16string_view(u"\x0001\0", 2)),
            ERROR_SUCCESS);
  DWORD subkeys = 0, longest_subkey = 0, values = 0, longest_name = 0, longest_data = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subkeys, &longest_subkey, nullptr,
                             &values, &longest_name, &longest_data, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 3u);
  EXPECT_EQ(longest_subkey, 5u);
  EXPECT_EQ(values, 3u);
  EXPECT_EQ(longest_name, 18u);
  EXPECT_EQ(longest_data, 4u);
  EXPECT_EQ(RegQueryInfoKeyW(nullptr, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_HANDLE);
}

// The wide write stores string data as handed over, so text any code page lacks and data
// without a terminator keep every byte; the code page plays no part.
TEST_F(RegWideTest, SetStoresStringDataAsGiven) {
  ScopedLocale gbk(kGbkLocale);
  ASSERT_TRUE(gbk.active());
  ASSERT_EQ(SetWide(u"\u00e9\u4e2d", REG_EXPAND_SZ, u"\U0001F600"), ERROR_SUCCESS);
  std::optional<RegistryValue> stored = StoredValue(key_, u"\u00e9\u4e2d");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->data, Bytes(std::string("\x3d\xd8\x00\xde", 4)));
  EXPECT_EQ(RegSetValueExW(key_, u"V", 0, REG_SZ, nullptr, 2), ERROR_INVALID_PARAMETER);
}

}  // namespace
