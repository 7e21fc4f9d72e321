#include "ansi_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/code_page_switch.h"

namespace {

// Offsets of a search's result, -1 for none.
long Offset(const char* text, const char* found) {
  return found == nullptr ? -1 : found - text;
}

struct SearchRow {
  UINT code_page;
  const char* text;
  char c;
  long first;
  long last;
};

TEST(AnsiTextTest, TrailBytesNeverMatchASeparator) {
  const SearchRow rows[] = {
      {65001, "a\\b\\c", '\\', 1, 3},
      {65001, "abc", '\\', -1, -1},
      {936, "\x81\x5C", '\\', -1, -1},
      {936, "\x81\x5C\\x", '\\', 2, 2},
      {936,
       "x\\\x95\x5C"
       "a\\",
       '\\', 1, 5},
      {936, "\xD6\xD0]", ']', 2, 2},
      {936, "\x81", '\\', -1, -1},
  };
  for (const SearchRow& row : rows) {
    CodePageSwitch code_page(row.code_page);
    if (!code_page.active()) continue;
    EXPECT_EQ(Offset(row.text, FindAnsiChar(row.text, row.c)), row.first)
        << row.code_page << ": first in " << row.text;
    EXPECT_EQ(Offset(row.text, FindLastAnsiChar(row.text, row.c)), row.last)
        << row.code_page << ": last in " << row.text;
  }
}

TEST(AnsiTextTest, TextSearchStartsOnCharacters) {
  REQUIRE_CODE_PAGE(936);
  const char text[] = "\x81\x5C]x\\]";
  EXPECT_EQ(Offset(text, FindAnsiText(text, "\\]")), 4);
  EXPECT_EQ(Offset(text, FindAnsiText(text, "")), 0);
  EXPECT_EQ(Offset(text, FindAnsiText(text, "y")), -1);
}

TEST(AnsiTextTest, CaseFoldingTouchesOnlyAsciiCharacters) {
  struct Row {
    UINT code_page;
    const char* a;
    const char* b;
    bool equal;
  } rows[] = {
      {65001, "/Machine", "/mACHINE", true},
      {65001, "/user", "/users", false},
      {65001, "", "", true},
      {65001, "\xC3\xA9", "\xC3\x89", false},
      {936, "/USER", "/user", true},
      {936, "\x81\x41", "\x81\x61", false},
      {936, "\x81\x41x", "\x81\x41X", true},
  };
  for (const Row& row : rows) {
    CodePageSwitch code_page(row.code_page);
    if (!code_page.active()) continue;
    EXPECT_EQ(EqualsIgnoringAsciiCase(row.a, row.b), row.equal) << row.code_page << ": " << row.a;
  }
}

TEST(AnsiTextTest, CharacterLengths) {
  struct Row {
    UINT code_page;
    const char* text;
    size_t length;
  } rows[] = {
      {65001, "a", 1},
      {65001, "\xC3\xA9", 2},
      {65001, "\xE4\xB8\xAD", 3},
      {65001, "\xF0\x9F\x98\x80", 4},
      {65001, "\xC3", 1},
      {65001, "\x80", 1},
      {936, "\xD6\xD0", 2},
      {936, "\x81", 1},
      {936, "\x80", 1},
  };
  for (const Row& row : rows) {
    CodePageSwitch code_page(row.code_page);
    if (!code_page.active()) continue;
    EXPECT_EQ(AnsiCharLength(row.text), row.length) << row.code_page << ": " << row.text;
  }
}

}  // namespace
