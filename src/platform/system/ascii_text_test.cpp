#include "system/ascii_text.h"

#include <string>

#include <gtest/gtest.h>

namespace {

// Every length across a whole word and its tail, with one non-ASCII character at every place:
// a character missed in the tail or in a word would read as ASCII.
TEST(AsciiTextTest, FindsANonAsciiCharacterAtAnyPlace) {
  for (size_t length = 0; length <= 19; ++length) {
    EXPECT_TRUE(IsAsciiText(std::string(length, '\x7f').c_str(), length)) << length;
    EXPECT_TRUE(IsAsciiText(std::u16string(length, u'\x7f').c_str(), length)) << length;
    for (size_t at = 0; at < length; ++at) {
      std::string bytes(length, 'a');
      bytes[at] = '\x80';
      EXPECT_FALSE(IsAsciiText(bytes.c_str(), length)) << length << " at " << at;
      for (char16_t unit : {u'\x80', u'\x100', u'\x4e2d'}) {
        std::u16string units(length, u'a');
        units[at] = unit;
        EXPECT_FALSE(IsAsciiText(units.c_str(), length)) << length << " at " << at;
      }
    }
  }
}

// Only the given length counts: what follows it is not looked at.
TEST(AsciiTextTest, LooksOnlyAtTheGivenLength) {
  EXPECT_TRUE(IsAsciiText("abc\xff", 3));
  EXPECT_TRUE(IsAsciiText(u"abcdefghi\x4e2d", 9));
}

TEST(AsciiTextTest, CaseFoldsOnlyAsciiLetters) {
  EXPECT_TRUE(SameIgnoringAsciiCase("distinguishedName", "DISTINGUISHEDNAME"));
  EXPECT_FALSE(SameIgnoringAsciiCase("cn", "cn;range=0-1"));
  EXPECT_FALSE(SameIgnoringAsciiCase("\xc3\xbc", "\xc3\x9c"));  // ü and Ü differ outside ASCII
  EXPECT_FALSE(SameIgnoringAsciiCase("[", "{"));
}

}  // namespace
