#include "search_column.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::u16string ValueText(const ADS_SEARCH_COLUMN& column, DWORD index) {
  return column.pADsValues[index].CaseIgnoreString;
}

TEST(ColumnStore, FillsNameTypeAndEveryValue) {
  ColumnStore store;
  ADS_SEARCH_COLUMN column;
  ClearColumn(&column);
  store.Fill(u"member", ADSTYPE_DN_STRING, {"CN=a,DC=x", "CN=b\xff,DC=x", ""}, &column);
  EXPECT_EQ(std::u16string(column.pszAttrName), u"member");
  EXPECT_EQ(column.dwADsType, ADSTYPE_DN_STRING);
  ASSERT_EQ(column.dwNumValues, 3u);
  EXPECT_EQ(column.pADsValues[1].dwType, ADSTYPE_DN_STRING);
  EXPECT_EQ(ValueText(column, 0), u"CN=a,DC=x");
  EXPECT_EQ(ValueText(column, 1), u"CN=b\uFFFD,DC=x");
  EXPECT_EQ(ValueText(column, 2), u"");
  EXPECT_TRUE(store.Free(&column));
  EXPECT_EQ(column.pADsValues, nullptr);
  EXPECT_EQ(column.hReserved, nullptr);
}

TEST(ColumnStore, KeepsLargeValuesWhole) {
  ColumnStore store;
  ADS_SEARCH_COLUMN column;
  store.Fill(u"description", ADSTYPE_CASE_IGNORE_STRING, {std::string(1 << 20, 'x')}, &column);
  EXPECT_EQ(ValueText(column, 0).size(), size_t{1} << 20);
  EXPECT_TRUE(store.Free(&column));
}

TEST(ColumnStore, FreesOnlyColumnsItFilledAndEachOnce) {
  ColumnStore store;
  ADS_SEARCH_COLUMN filled;
  store.Fill(u"cn", ADSTYPE_CASE_IGNORE_STRING, {"x"}, &filled);
  ADS_SEARCH_COLUMN copy = filled;
  EXPECT_TRUE(store.Free(&filled));
  EXPECT_FALSE(store.Free(&copy)) << "freed twice";
  EXPECT_FALSE(store.Free(&filled)) << "cleared column";

  int not_ours = 0;
  ADS_SEARCH_COLUMN foreign;
  std::memset(&foreign, 0, sizeof foreign);
  foreign.hReserved = &not_ours;
  foreign.dwNumValues = 7;
  EXPECT_FALSE(store.Free(&foreign));
  EXPECT_EQ(foreign.dwNumValues, 7u) << "a column the store did not fill is left alone";
}

TEST(ColumnStore, HandsOutAColumnWithoutValues) {
  ColumnStore store;
  ADS_SEARCH_COLUMN column;
  store.Fill(u"cn", ADSTYPE_CASE_IGNORE_STRING, {}, &column);
  EXPECT_EQ(column.dwNumValues, 0u);
  EXPECT_EQ(column.pADsValues, nullptr);
  EXPECT_TRUE(store.Free(&column));
}

}  // namespace

namespace {

TEST(ColumnValues, TakesTheAttributeOrTheRowsOwnName) {
  DirectoryEntry row{"CN=x,DC=example,DC=test",
                     {{"cn", {"x"}}, {"member", {"CN=a", "CN=b"}}, {"description", {}}}};
  DirectoryEntry row_with_dn = row;
  row_with_dn.attributes.push_back({"distinguishedName", {"CN=X,DC=EXAMPLE,DC=TEST"}});
  using Values = std::vector<std::string>;
  struct Row {
    const char* name;
    const DirectoryEntry* row;
    const char* column;
    bool dn_requested;
    Values expected;
  } rows[] = {
      {"attribute", &row, "CN", false, {"x"}},
      {"several values", &row, "member", false, {"CN=a", "CN=b"}},
      {"attribute without values", &row, "description", true, {}},
      {"attribute the row lacks", &row, "displayName", true, {}},
      {"DN from the row", &row, "distinguishedName", true, {"CN=x,DC=example,DC=test"}},
      {"DN not asked for", &row, "distinguishedName", false, {}},
      {"DN as the server sent it",
       &row_with_dn,
       "distinguishedname",
       true,
       {"CN=X,DC=EXAMPLE,DC=TEST"}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ColumnValues(*row.row, row.column, row.dn_requested), row.expected) << row.name;
  }
}

TEST(ColumnType, MarksOnlyTheDistinguishedNameAsDn) {
  EXPECT_EQ(ColumnType("DistinguishedName"), ADSTYPE_DN_STRING);
  EXPECT_EQ(ColumnType("member"), ADSTYPE_CASE_IGNORE_STRING);
}

}  // namespace
