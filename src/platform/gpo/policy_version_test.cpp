#include "gpo/policy_version.h"

#include <gtest/gtest.h>

namespace {

TEST(PolicyVersionTest, RaisesOneHalfPastBothValues) {
  struct Row {
    const char* name;
    DWORD file;
    DWORD container;
    bool machine;
    DWORD expected;
  };
  const Row rows[] = {
      {"new policy, machine", 0, 0, true, 0x00000001},
      {"new policy, user", 0, 0, false, 0x00010000},
      {"equal values, machine", 0x00030005, 0x00030005, true, 0x00030006},
      {"equal values, user", 0x00030005, 0x00030005, false, 0x00040005},
      {"file ahead", 0x00000009, 0x00000002, true, 0x0000000A},
      {"container ahead", 0x00000002, 0x00000009, true, 0x0000000A},
      {"halves ahead in different values, machine", 0x00010005, 0x00020001, true, 0x00020006},
      {"halves ahead in different values, user", 0x00010005, 0x00020001, false, 0x00030005},
      {"machine wraps to 1", 0x0002FFFF, 0x00000003, true, 0x00020001},
      {"user wraps to 1", 0xFFFF0004, 0x00010004, false, 0x00010004},
      {"user top bit", 0x7FFF0000, 0x7FFF0000, false, 0x80000000},
      {"machine leaves user half alone", 0xFFFF0000, 0, true, 0xFFFF0001},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RaisePolicyVersion(row.file, row.container, row.machine), row.expected) << row.name;
  }
}

TEST(PolicyVersionTest, ContainerVersionText) {
  struct Row {
    const char* text;
    bool valid;
    DWORD version;
  };
  const Row rows[] = {
      {"0", true, 0},
      {"65537", true, 65537},
      {"2147483647", true, 0x7FFFFFFF},
      {"-2147483648", true, 0x80000000},
      {"-1", true, 0xFFFFFFFF},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"", false, 0},
      {" 1", false, 0},
      {"+1", false, 0},
      {"1x", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const Row& row : rows) {
    DWORD version = 0;
    EXPECT_EQ(ParseContainerVersion(row.text, &version), row.valid) << '"' << row.text << '"';
    if (row.valid) {
      EXPECT_EQ(version, row.version) << row.text;
      EXPECT_EQ(FormatContainerVersion(version), row.text) << row.text;
    }
  }
}

}  // namespace
