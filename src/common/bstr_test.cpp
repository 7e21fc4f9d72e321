#include "bstr.h"

#include <gtest/gtest.h>

#include <string>

#include <comdef.h>

#include "support/code_page_switch.h"

namespace {

std::basic_string<OLECHAR> Text(BSTR text) {
  return std::basic_string<OLECHAR>(text, SysStringLen(text));
}

TEST(AnsiToBstrTest, ConvertsThroughTheAnsiCodePage) {
  struct Row {
    UINT code_page;
    const char* text;
    std::basic_string<OLECHAR> expected;
  } rows[] = {
      {65001, "plain", OLESTR("plain")},
      {65001, "", OLESTR("")},
      {65001, "caf\xC3\xA9", OLESTR("caf\u00E9")},
      {936, "\xD6\xD0\x81\x5C", OLESTR("\u4E2D\u4E57")},
      {936, "a\\b", OLESTR("a\\b")},
  };
  for (const Row& row : rows) {
    CodePageSwitch code_page(row.code_page);
    if (!code_page.active()) continue;
    UniqueBstr converted(AnsiToBstr(row.text));
    ASSERT_NE(converted.get(), nullptr) << row.text;
    EXPECT_EQ(Text(converted.get()), row.expected) << row.code_page << ": " << row.text;
    EXPECT_EQ(converted.get()[converted.length()], OLESTR('\0')) << row.text;
    EXPECT_EQ(BstrToAnsi(converted.get()), row.text) << row.code_page << ": back to 8 bits";
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
  REQUIRE_CODE_PAGE(936);
  UniqueBstr thai(SysAllocString(OLESTR("a\u0E01b")));
  EXPECT_EQ(BstrToAnsi(thai.get()), "a?b");
}

TEST(JoinBstrTest, JoinsAndTreatsNullAsEmpty) {
  UniqueBstr first(SysAllocString(OLESTR("ab")));
  UniqueBstr second(SysAllocString(OLESTR("cd")));
  struct Row {
    const char* name;
    BSTR joined;
    std::basic_string<OLECHAR> expected;
  } rows[] = {
      {"both", JoinBstr(first.get(), second.get()), OLESTR("abcd")},
      {"null first", JoinBstr(nullptr, second.get()), OLESTR("cd")},
      {"null second", JoinBstr(first.get(), nullptr), OLESTR("ab")},
      {"both null", JoinBstr(nullptr, nullptr), OLESTR("")},
      {"counted part", JoinBstr(first.get(), OLESTR("xyz"), 1), OLESTR("abx")},
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
  EXPECT_EQ(Text(moved.get()), OLESTR("two"));
  moved = UniqueBstr();
  EXPECT_TRUE(moved.empty());
}

}  // namespace
