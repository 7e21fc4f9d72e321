#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include <objbase.h>

namespace {

DWORD StoredByteLength(BSTR text) {
  DWORD length;
  std::memcpy(&length, reinterpret_cast<char*>(text) - 4, 4);
  return length;
}

TEST(BstrTest, LayoutOfAllocatedStrings) {
  struct Row {
    const char* name;
    BSTR text;
    UINT characters;
    std::u16string content;
  } rows[] = {
      {"SysAllocString", SysAllocString(OLESTR("abc")), 3, u"abc"},
      {"SysAllocString of empty text", SysAllocString(OLESTR("")), 0, u""},
      {"SysAllocStringLen takes a prefix", SysAllocStringLen(OLESTR("abcdef"), 2), 2, u"ab"},
      {"SysAllocStringLen keeps NULs", SysAllocStringLen(OLESTR("a\0b"), 3), 3,
       std::u16string(u"a\0b", 3)},
      {"SysAllocStringLen without source", SysAllocStringLen(nullptr, 3), 3,
       std::u16string(3, u'\0')},
  };
  for (Row& row : rows) {
    ASSERT_NE(row.text, nullptr) << row.name;
    EXPECT_EQ(SysStringLen(row.text), row.characters) << row.name;
    EXPECT_EQ(SysStringByteLen(row.text), row.characters * 2) << row.name;
    EXPECT_EQ(StoredByteLength(row.text), row.characters * 2) << row.name;
    EXPECT_EQ(std::u16string(row.text, row.characters), row.content) << row.name;
    EXPECT_EQ(row.text[row.characters], u'\0') << row.name << ": terminator";
    SysFreeString(row.text);
  }
}

TEST(BstrTest, ByteLengthStringsKeepOddLengths) {
  BSTR text = SysAllocStringByteLen("abc", 3);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringByteLen(text), 3u);
  EXPECT_EQ(SysStringLen(text), 1u) << "whole characters only";
  EXPECT_EQ(std::memcmp(text, "abc\0\0", 5), 0) << "bytes, then a NUL character";
  SysFreeString(text);
}

TEST(BstrTest, NullIsTheEmptyString) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(BstrTest, ImpossibleLengthsFailInsteadOfWrapping) {
  EXPECT_EQ(SysAllocStringLen(nullptr, UINT_MAX / 2 + 1), nullptr);
  EXPECT_EQ(SysAllocStringByteLen(nullptr, UINT_MAX - 2), nullptr);
}

}  // namespace
