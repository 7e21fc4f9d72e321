#include "bstr.h"

#include <gtest/gtest.h>

#include <string>

#include <comdef.h>

#include "system/test_locale.h"

namespace {

std::u16string Text(BSTR text) {
  return std::u16string(text, SysStringLen(text));
}

TEST(AnsiToBstrTest, ConvertsThroughTheAnsiCodePage) {
  struct Row {
    const char* locale;
    const char* text;
    std::u16string expected;
  } rows[] = {
      {"C", "plain", u"plain"},           {"C", "", u""},
      {"C", "caf\xC3\xA9", u"caf\u00E9"}, {kGbkLocale, "\xD6\xD0\x81\x5C", u"\u4E2D\u4E57"},
      {kGbkLocale, "a\\b", u"a\\b"},
  };
  for (const Row& row : rows) {
    ScopedLocale locale(row.locale);
    ASSERT_TRUE(locale.active()) << row.locale;
    UniqueBstr converted(AnsiToBstr(row.text));
    ASSERT_NE(converted.get(), nullptr) << row.text;
    EXPECT_EQ(Text(converted.get()), row.expected) << row.locale << ": " << row.text;
    EXPECT_EQ(converted.get()[converted.length()], u'\0') << row.text;
    EXPECT_EQ(BstrToAnsi(converted.get()), row.text) << row.locale << ": back to 8 bits";
  }
}

TEST(AnsiToBstrTest, FailureRaisesOnlyWhenAsked) {
  EXPECT_EQ(AnsiToBstr(nullptr), nullptr);
  try {
    AnsiToBstrOrThrow(nullptr);
    FAIL() << "nothing raised";
  } catch (const _com_error& error) {
    EXPECT_EQ(error.Error(), HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
  }
}

TEST(BstrToAnsiTest, NullAndUnmappableCharacters) {
  EXPECT_EQ(BstrToAnsi(nullptr), "");
  ScopedLocale locale(kGbkLocale);
  ASSERT_TRUE(locale.active());
  UniqueBstr thai(SysAllocString(OLESTR("a\u0E01b")));
  EXPECT_EQ(BstrToAnsi(thai.get()), "a?b");
}

TEST(JoinBstrTest, JoinsAndTreatsNullAsEmpty) {
  UniqueBstr first(SysAllocString(OLESTR("ab")));
  UniqueBstr second(SysAllocString(OLESTR("cd")));
  struct Row {
    const char* name;
    BSTR joined;
    std::u16string expected;
  } rows[] = {
      {"both", JoinBstr(first.get(), second.get()), u"abcd"},
      {"null first", JoinBstr(nullptr, second.get()), u"cd"},
      {"null second", JoinBstr(first.get(), nullptr), u"ab"},
      {"both null", JoinBstr(nullptr, nullptr), u""},
      {"counted part", JoinBstr(first.get(), OLESTR("xyz"), 1), u"abx"},
  };
  for (Row& row : rows) {
    UniqueBstr joined(row.joined);
    ASSERT_NE(joined.get(), nullptr) << row.name;
    EXPECT_EQ(Text(joined.get()), row.expected) << row.name;
  }
}

TEST(UniqueBstrTest, OwnsOneStringAtATime) {
  UniqueBstr owner(SysAllocString(OLESTR("one")));
  UniqueBstr moved(std::move(owner));
  EXPECT_EQ(owner.get(), nullptr);
  EXPECT_TRUE(owner.empty());
  moved.reset(SysAllocString(OLESTR("two")));  // AddressSanitizer reports "one" if it leaks
  EXPECT_EQ(Text(moved.get()), u"two");
  moved = UniqueBstr();
  EXPECT_TRUE(moved.empty());
}

}  // namespace
