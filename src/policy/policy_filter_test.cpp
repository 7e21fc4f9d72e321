#include "policy/policy_filter.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fake_group_policy_object.h"

namespace {

using OleString = std::basic_string<OLECHAR>;

std::string FilterFor(const OleString& name) {
  UniqueBstr bstr(SysAllocStringLen(name.data(), static_cast<UINT>(name.size())));
  UniqueBstr filter = PolicySearchFilter(bstr.get());
  return Narrow(filter.get());
}

TEST(PolicySearchFilterTest, MatchesExactlyTheNameGiven) {
  struct Row {
    OleString name;
    const char* value;
  } rows[] = {
      {OLESTR("Default Domain Policy"), "Default Domain Policy"},
      {OLESTR(""), ""},
      {OLESTR("*"), "\\2a"},
      {OLESTR("Kiosk (*)"), "Kiosk \\28\\2a\\29"},
      {OLESTR("a\\b"), "a\\5cb"},
      // A name that would close the filter and add a clause of its own stays one value.
      {OLESTR("x)(displayName=*"), "x\\29\\28displayName=\\2a"},
      {OLESTR("already \\2a"), "already \\5c2a"},
      {OleString(OLESTR("nul\0inside"), 10), "nul\\00inside"},
      // Only the filter's own characters are escaped; other text goes to the directory as is.
      {OLESTR("Richtlinie f\u00fcr B\u00fcros & Co = 1/2"),
       "Richtlinie f\u00fcr B\u00fcros & Co = 1/2"},
      {OLESTR("\u7b56\u7565"), "\u7b56\u7565"},
  };
  for (const Row& row : rows) {
    std::string expected =
        std::string("(&(objectClass=groupPolicyContainer)(displayName=") + row.value + "))";
    EXPECT_EQ(FilterFor(row.name), expected) << row.value;
  }
}

TEST(PolicySearchFilterTest, ANullNameIsTheEmptyName) {
  EXPECT_EQ(Narrow(PolicySearchFilter(nullptr).get()),
            "(&(objectClass=groupPolicyContainer)(displayName=))");
}

}  // namespace
