#include "directory_text.h"

#include <gtest/gtest.h>

namespace {

TEST(OleFromDirectory, ConvertsUntrustedBytesWithoutLosingTheRest) {
  struct Row {
    const char* name;
    std::string bytes;
    std::u16string text;
  } rows[] = {
      {"empty", "", u""},
      {"ASCII", "DC=example", u"DC=example"},
      {"two- and four-byte characters", "M\xc3\xbc\xf0\x9f\x98\x80", u"M\u00fc\U0001F600"},
      {"byte that starts nothing",
       "a\xff"
       "b",
       u"a\uFFFDb"},
      {"sequence cut short at the end", "ab\xe2\x82", u"ab\uFFFD"},
      {"embedded NUL kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"encoded surrogate",
       "\xed\xa0\x80"
       "x",
       u"\uFFFD\uFFFDx"},
  };
  for (const Row& row : rows) EXPECT_EQ(OleFromDirectory(row.bytes), row.text) << row.name;
}

TEST(Utf8FromOle, ConvertsExactlyOrNotAtAll) {
  std::string utf8 = "unchanged";
  EXPECT_TRUE(Utf8FromOle(u"(cn=M\u00fc\U0001F600)", &utf8));
  EXPECT_EQ(utf8, "(cn=M\xc3\xbc\xf0\x9f\x98\x80)");
  const char16_t* malformed[] = {u"a\xD800",
                                 u"\xDC00"
                                 u"b",
                                 u"\xD800\xD800"};
  for (const char16_t* text : malformed) {
    EXPECT_FALSE(Utf8FromOle(text, &utf8)) << std::u16string(text).size();
  }
}

}  // namespace
