#include "name_case.h"

#include <locale.h>
#include <wctype.h>

#include <ios>

#include <gtest/gtest.h>

namespace {

// Every code unit of the blocks the table claims maps as the C library's towupper maps it in
// C.UTF-8, an independent reading of Unicode's simple upper-case mappings, and every code unit
// outside them maps to itself: a range missing from the table, or a wrong one, fails here.
TEST(UpcaseNameCharTest, AgreesWithTheCLibraryOnEveryCodeUnit) {
  struct Block {
    char32_t first;
    char32_t last;
    const char* name;
  };
  const Block blocks[] = {
      {0x0000, 0x007F, "ASCII"},
      {0x0080, 0x00FF, "Latin-1"},
      {0x0100, 0x017F, "Latin Extended-A"},
      {0x0370, 0x03FF, "Greek"},
      {0x0400, 0x04FF, "Cyrillic"},
      {0x0500, 0x052F, "Cyrillic Supplement"},
      {0xFF00, 0xFFEF, "full-width forms"},
  };
  locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  ASSERT_NE(utf8, static_cast<locale_t>(nullptr)) << "C.UTF-8 is built into glibc";
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const char* block = "outside the table";
    char32_t expected = unit;
    for (const Block& claimed : blocks) {
      if (unit < claimed.first || unit > claimed.last) continue;
      block = claimed.name;
      expected = towupper_l(unit, utf8);
    }
    EXPECT_EQ(UpcaseNameChar(static_cast<char16_t>(unit)), expected)
        << std::hex << "U+" << static_cast<unsigned>(unit) << ", " << block;
  }
  freelocale(utf8);
}

TEST(UpcaseNameTest, OrdersAndEqualsNamesWithoutCase) {
  struct Row {
    std::u16string a;
    std::u16string b;
    int order;  // sign of the comparison of the upper-cased names
  };
  const Row rows[] = {
      {u"Certificates", u"CRLs", -1},
      {u"CRLs", u"CTLs", -1},
      {u"Disallowed", u"DPNGRA", -1},
      {u"Windows", u"Windows NT", -1},
      {u"Zeta", u"_under", -1},  // by upper case, '_' sorts after the letters
      {u"Software", u"SOFTWARE", 0},
      {u"\u00c4rger", u"\u00e4RGER", 0},
      {u"\u041a\u043b\u044e\u0447", u"\u041a\u041b\u042e\u0427", 0},
      {u"Stra\u00dfe", u"STRASSE", 1},
      {u"Key1", u"KEY1", 0},
      {u"Key1", u"Key2", -1},
      {u"", u"", 0},
      {u"a", u"", 1},
      {u"\u0131", u"i", 0},       // dotless i and i both upper-case to I
      {u"\u017f", u"s", 0},       // long s and s
      {u"\u00ff", u"\u0178", 0},  // y diaeresis and its capital outside Latin-1
  };
  for (const Row& row : rows) {
    int order = UpcaseName(row.a).compare(UpcaseName(row.b));
    EXPECT_EQ((order > 0) - (order < 0), row.order)
        << std::string(row.a.begin(), row.a.end()) << " vs "
        << std::string(row.b.begin(), row.b.end());
    EXPECT_EQ(CompareNames(row.a, row.b), row.order) << std::string(row.a.begin(), row.a.end());
    EXPECT_EQ(CompareNames(row.b, row.a), -row.order) << std::string(row.b.begin(), row.b.end());
    EXPECT_EQ(SameName(row.a, row.b), row.order == 0) << std::string(row.a.begin(), row.a.end());
    EXPECT_EQ(SameName(row.b, row.a), row.order == 0) << std::string(row.b.begin(), row.b.end());
  }
}

}  // namespace
