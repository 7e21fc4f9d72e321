#include "name_case.h"

#include <gtest/gtest.h>

namespace {

TEST(UpcaseNameCharTest, MapsEachScriptByItsSimpleUpperCase) {
  struct Row {
    char16_t in;
    char16_t out;
    const char* what;
  };
  const Row rows[] = {
      {u'a', u'A', "ASCII first"},
      {u'z', u'Z', "ASCII last"},
      {u'A', u'A', "already upper"},
      {u'{', u'{', "ASCII after z"},
      {u'`', u'`', "ASCII before a"},
      {u'_', u'_', "underscore"},
      {0x00E9, 0x00C9, "e acute"},
      {0x00F7, 0x00F7, "division sign inside the Latin-1 run"},
      {0x00FF, 0x0178, "y diaeresis leaves Latin-1"},
      {0x00DF, 0x00DF, "sharp s has no single upper case"},
      {0x00B5, 0x039C, "micro sign"},
      {0x0101, 0x0100, "a macron"},
      {0x0100, 0x0100, "A macron"},
      {0x0131, 0x0049, "dotless i"},
      {0x0138, 0x0138, "kra has no upper case"},
      {0x013A, 0x0139, "l acute: odd upper, even lower"},
      {0x0149, 0x0149, "n apostrophe has no single upper case"},
      {0x017E, 0x017D, "z caron"},
      {0x017F, 0x0053, "long s"},
      {0x03B1, 0x0391, "alpha"},
      {0x03C2, 0x03A3, "final sigma"},
      {0x03C3, 0x03A3, "sigma"},
      {0x03AC, 0x0386, "alpha tonos"},
      {0x0390, 0x0390, "iota dialytika tonos has no single upper case"},
      {0x03CE, 0x038F, "omega tonos"},
      {0x044F, 0x042F, "ya"},
      {0x0451, 0x0401, "yo"},
      {0x0461, 0x0460, "omega, Cyrillic"},
      {0x04CF, 0x04C0, "palochka"},
      {0x052F, 0x052E, "last of Cyrillic Supplement"},
      {0xFF41, 0xFF21, "full-width a"},
      {0x4E2D, 0x4E2D, "CJK"},
      {0xD83D, 0xD83D, "surrogate"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(UpcaseNameChar(row.in), row.out) << row.what;
  }
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
