#include "ansi_text.h"

#include <gtest/gtest.h>

#include <string>

#include "system/test_locale.h"

namespace {

// Offsets of a search's result, -1 for none.
long Offset(const char* text, const char* found) {
  return found == nullptr ? -1 : found - text;
}

struct SearchRow {
  const char* locale;
  const char* text;
  char c;
  long first;
  long last;
};

TEST(AnsiTextTest, TrailBytesNeverMatchASeparator) {
  const SearchRow rows[] = {
      {"C", "a\\b\\c", '\\', 1, 3},
      {"C", "abc", '\\', -1, -1},
      {kGbkLocale, "\x81\x5C", '\\', -1, -1},
      {kGbkLocale, "\x81\x5C\\x", '\\', 2, 2},
      {kGbkLocale,
       "x\\\x95\x5C"
       "a\\",
       '\\', 1, 5},
      {kGbkLocale, "\xD6\xD0]", ']', 2, 2},
      {kGbkLocale, "\x81", '\\', -1, -1},
  };
  for (const SearchRow& row : rows) {
    ScopedLocale locale(row.locale);
    ASSERT_TRUE(locale.active()) << row.locale;
    EXPECT_EQ(Offset(row.text, FindAnsiChar(row.text, row.c)), row.first)
        << row.locale << ": first in " << row.text;
    EXPECT_EQ(Offset(row.text, FindLastAnsiChar(row.text, row.c)), row.last)
        << row.locale << ": last in " << row.text;
  }
}

TEST(AnsiTextTest, TextSearchStartsOnCharacters) {
  ScopedLocale locale(kGbkLocale);
  ASSERT_TRUE(locale.active());
  const char text[] = "\x81\x5C]x\\]";
  EXPECT_EQ(Offset(text, FindAnsiText(text, "\\]")), 4);
  EXPECT_EQ(Offset(text, FindAnsiText(text, "")), 0);
  EXPECT_EQ(Offset(text, FindAnsiText(text, "y")), -1);
}

TEST(AnsiTextTest, CaseFoldingTouchesOnlyAsciiCharacters) {
  struct Row {
    const char* locale;
    const char* a;
    const char* b;
    bool equal;
  } rows[] = {
      {"C", "/Machine", "/mACHINE", true},
      {"C", "/user", "/users", false},
      {"C", "", "", true},
      {"C", "\xC3\xA9", "\xC3\x89", false},
      {kGbkLocale, "/USER", "/user", true},
      {kGbkLocale, "\x81\x41", "\x81\x61", false},
      {kGbkLocale, "\x81\x41x", "\x81\x41X", true},
  };
  for (const Row& row : rows) {
    ScopedLocale locale(row.locale);
    ASSERT_TRUE(locale.active()) << row.locale;
    EXPECT_EQ(EqualsIgnoringAsciiCase(row.a, row.b), row.equal) << row.locale << ": " << row.a;
  }
}

TEST(AnsiTextTest, CharacterLengths) {
  struct Row {
    const char* locale;
    const char* text;
    size_t length;
  } rows[] = {
      {"C", "a", 1},
      {"C", "\xC3\xA9", 2},
      {"C", "\xE4\xB8\xAD", 3},
      {"C", "\xF0\x9F\x98\x80", 4},
      {"C", "\xC3", 1},
      {"C", "\x80", 1},
      {kGbkLocale, "\xD6\xD0", 2},
      {kGbkLocale, "\x81", 1},
      {kGbkLocale, "\x80", 1},
  };
  for (const Row& row : rows) {
    ScopedLocale locale(row.locale);
    ASSERT_TRUE(locale.active()) << row.locale;
    EXPECT_EQ(AnsiCharLength(row.text), row.length) << row.locale << ": " << row.text;
  }
}

}  // namespace
