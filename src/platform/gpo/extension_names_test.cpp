#include "gpo/extension_names.h"

#include <gtest/gtest.h>

namespace {

const GUID kRegistry = {
    0x35378EAC, 0x683F, 0x11D2, {0xA8, 0x9A, 0x00, 0xC0, 0x4F, 0xBB, 0xCF, 0xA2}};
const GUID kSnapIn = {0x0F6B957E, 0x509E, 0x11D1, {0xA7, 0xCC, 0x00, 0x00, 0xF8, 0x75, 0x71, 0xE3}};

#define REG "{35378EAC-683F-11D2-A89A-00C04FBBCFA2}"
#define SNAP "{0F6B957E-509E-11D1-A7CC-0000F87571E3}"
#define REG_LOWER "{35378eac-683f-11d2-a89a-00c04fbbcfa2}"
#define SNAP_LOWER "{0f6b957e-509e-11d1-a7cc-0000f87571e3}"
#define NEWER_TOOL "{D02B1F73-3407-48AE-BA88-E8213C6761F1}"
#define NULL_TOOL "{00000000-0000-0000-0000-000000000000}"
#define EARLY "{00000001-0000-0000-0000-000000000000}"
#define LATE "{827D319E-6EAC-11D2-A4EA-00C04F79F83A}"
#define LATE_TOOL "{803E14A0-B4FB-11D0-A0D0-00A0C90F574B}"

TEST(ExtensionNamesTest, GuidText) {
  EXPECT_EQ(GuidToText(kRegistry), REG);
  EXPECT_EQ(GuidToText(GUID{}), NULL_TOOL);
}

TEST(ExtensionNamesTest, MergesThePair) {
  struct Row {
    const char* name;
    const char* existing;
    bool add;
    const char* expected;
  };
  const Row rows[] = {
      {"add to empty", "", true, "[" REG SNAP "]"},
      {"add to blanks", "  ", true, "[" REG SNAP "]"},
      {"add again", "[" REG SNAP "]", true, "[" REG SNAP "]"},
      {"sorted among others", "[" EARLY NULL_TOOL "][" LATE LATE_TOOL "]", true,
       "[" EARLY NULL_TOOL "][" REG SNAP "][" LATE LATE_TOOL "]"},
      {"unsorted input sorted", "[" LATE LATE_TOOL "][" EARLY NULL_TOOL "]", true,
       "[" EARLY NULL_TOOL "][" REG SNAP "][" LATE LATE_TOOL "]"},
      {"tool sorted into group", "[" REG NEWER_TOOL "]", true, "[" REG SNAP NEWER_TOOL "]"},
      {"tools of group sorted", "[" REG NEWER_TOOL NULL_TOOL "]", true,
       "[" REG NULL_TOOL SNAP NEWER_TOOL "]"},
      {"lower-case duplicate merged", "[" REG_LOWER SNAP_LOWER "]", true, "[" REG SNAP "]"},
      {"groups of one extension merged", "[" REG NEWER_TOOL "][" REG_LOWER "]", true,
       "[" REG SNAP NEWER_TOOL "]"},
      {"group without tool gets one", "[" REG "]", true, "[" REG SNAP "]"},
      {"blanks around value", "\t[" LATE LATE_TOOL "] \r\n", true,
       "[" REG SNAP "][" LATE LATE_TOOL "]"},
      {"remove last tool drops group", "[" EARLY NULL_TOOL "][" REG SNAP "]", false,
       "[" EARLY NULL_TOOL "]"},
      {"remove keeps other tools", "[" REG SNAP NEWER_TOOL "]", false, "[" REG NEWER_TOOL "]"},
      {"remove lower-case spelling", "[" REG_LOWER SNAP_LOWER "]", false, ""},
      {"remove absent tool", "[" REG NEWER_TOOL "]", false, "[" REG NEWER_TOOL "]"},
      {"remove from toolless group", "[" REG "]", false, "[" REG "]"},
      {"remove from empty", "", false, ""},
  };
  for (const Row& row : rows) {
    std::string merged = "unchanged";
    EXPECT_EQ(MergeExtensionNames(row.existing, kRegistry, kSnapIn, row.add, &merged), S_OK)
        << row.name;
    EXPECT_EQ(merged, row.expected) << row.name;
  }
}

TEST(ExtensionNamesTest, RefusesMalformedValue) {
  const char* rows[] = {
      "garbage",
      "[]",
      "[" REG,
      REG SNAP,
      "[" REG "]x",
      "[" REG " " SNAP "]",
      "[" REG SNAP "][" REG "}]",
      "[{35378EAC-683F-11D2-A89A-00C04FBBCFA}]",
      "[{35378EAC-683F-11D2-A89A_00C04FBBCFA2}]",
      "[{35378EAC-683F-11D2-A89A-00C04FBBCFAG}]",
      "[(35378EAC-683F-11D2-A89A-00C04FBBCFA2)]",
      "[" REG "][ ]",
  };
  for (const char* existing : rows) {
    std::string merged = "unchanged";
    EXPECT_EQ(MergeExtensionNames(existing, kRegistry, kSnapIn, true, &merged),
              HRESULT_FROM_WIN32(ERROR_INVALID_DATA))
        << existing;
    EXPECT_EQ(merged, "unchanged") << existing;
  }
}

}  // namespace
