#include "change_listing.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

WideText Wide(const std::string& ascii) {
  return WideText(ascii.begin(), ascii.end());
}

std::vector<BYTE> Utf16(const std::string& ascii) {
  std::vector<BYTE> bytes;
  for (char c : ascii) bytes.insert(bytes.end(), {static_cast<BYTE>(c), 0});
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

ValueRecord Sz(const std::string& name, const std::string& text, DWORD type = REG_SZ) {
  return {Wide(name), type, Utf16(text)};
}

ValueRecord Dword(const std::string& name, BYTE low) {
  return {Wide(name), REG_DWORD, {low, 0, 0, 0}};
}

KeyRecord Key(const std::string& path, std::vector<ValueRecord> values = {}) {
  return {Wide(path), std::move(values)};
}

std::string Listing(const std::vector<KeyRecord>& before, const std::vector<KeyRecord>& after) {
  testing::internal::CaptureStdout();
  PrintPolicyChanges(ComparePolicyRecords(before, after), "HKEY_LOCAL_MACHINE");
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

const char kNotSaved[] = "Nothing was saved (/whatif).\n";

struct ListingCase {
  const char* what;
  std::vector<KeyRecord> before;
  std::vector<KeyRecord> after;
  std::string listed;
};

const ListingCase kCases[] = {
    {"nothing changed",
     {Key(""), Key("P", {Sz("A", "1"), Dword("B", 1)})},
     {Key(""), Key("P", {Sz("A", "1"), Dword("B", 1)})},
     "0 to add, 0 to change, 0 to remove, 2 unchanged.\n"},
    {"added, changed and removed, in the policy's order",
     {Key("P", {Sz("A", "1"), Dword("B", 1), Sz("C", "x")})},
     {Key("P", {Sz("A", "1"), Dword("B", 2), {Wide("D"), REG_BINARY, {1, 0xff}}})},
     "Would change  [HKEY_LOCAL_MACHINE\\P] \"B\"=dword:00000001 -> dword:00000002\n"
     "Would add     [HKEY_LOCAL_MACHINE\\P] \"D\"=hex:01,ff\n"
     "Would remove  [HKEY_LOCAL_MACHINE\\P] \"C\"=\"x\"\n"
     "1 to add, 1 to change, 1 to remove, 1 unchanged.\n"},
    {"a key removed lists each record it held",
     {Key("P", {Dword("V", 1)}), Key("P\\Gone", {Sz("Y", "y"), Dword("Z", 3)}), Key("Q")},
     {Key("P", {Dword("V", 1)}), Key("Q")},
     "Would remove  [HKEY_LOCAL_MACHINE\\P\\Gone] \"Y\"=\"y\"\n"
     "Would remove  [HKEY_LOCAL_MACHINE\\P\\Gone] \"Z\"=dword:00000003\n"
     "0 to add, 0 to change, 2 to remove, 2 unchanged.\n"},
    {"a type changed with the same bytes",
     {Key("P", {Sz("E", "x")})},
     {Key("P", {Sz("E", "x", REG_EXPAND_SZ)})},
     "Would change  [HKEY_LOCAL_MACHINE\\P] \"E\"=\"x\" -> hex(2):78,00,00,00\n"
     "0 to add, 1 to change, 0 to remove, 0 unchanged.\n"},
    {"a key without values, a delete record and long data of the default value",
     {Key("P", {Sz("X", "on")})},
     {Key("P", {Sz("**del.X", " "), {WideText(), REG_BINARY, std::vector<BYTE>(100, 0xab)}}),
      Key("P\\Empty")},
     "Would add     [HKEY_LOCAL_MACHINE\\P] \"X\"=-\n"
     "Would add     [HKEY_LOCAL_MACHINE\\P] @=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,"
     "ab,ab,ab,ab... (100 bytes)\n"
     "Would add     [HKEY_LOCAL_MACHINE\\P\\Empty]\n"
     "Would remove  [HKEY_LOCAL_MACHINE\\P] \"X\"=\"on\"\n"
     "3 to add, 0 to change, 1 to remove, 0 unchanged.\n"},
};

TEST(ChangeListingTest, ListsEachChangeThenTheCounts) {
  for (const ListingCase& row : kCases) {
    EXPECT_EQ(Listing(row.before, row.after), row.listed + kNotSaved) << row.what;
  }
}

// Text no code page holds, a lone surrogate and a name of the registry's longest are printed
// somehow, never a reason to fail.
TEST(ChangeListingTest, AnyNameOrDataPrints) {
  ValueRecord odd{WideText{0xd800, u'\u7b56', u'='}, 0x12345678, std::vector<BYTE>(65535, 0)};
  ValueRecord long_name{WideText(16383, u'n'), REG_SZ, {0xff, 0xd8}};
  std::string listed = Listing({}, {Key("P", {odd, long_name})});
  EXPECT_NE(listed.find("2 to add, 0 to change, 0 to remove, 0 unchanged.\n"), std::string::npos);
}

}  // namespace
