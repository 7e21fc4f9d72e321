#include "gpo/sysvol_path.h"

#include <gtest/gtest.h>

namespace {

TEST(SysvolPathTest, MapsTheUncPathOntoTheHost) {
  struct Row {
    const char* unc;
    const char* expected;
  };
  const Row rows[] = {
      {"\\\\example.test\\sysvol\\example.test\\Policies\\{31B2F340-016D-11D2-945F-00C04FB984F9}",
       "smb://dc1.example.test/sysvol/example.test/Policies/"
       "{31B2F340-016D-11D2-945F-00C04FB984F9}"},
      {"\\\\EXAMPLE\\SysVol", "smb://dc1.example.test/SysVol"},
      {"\\\\x\\share\\a b\\c%d?e#f@g;h",
       "smb://dc1.example.test/share/a%20b/c%25d%3Fe%23f%40g%3Bh"},
      {"\\\\x\\share\\caf\xC3\xA9", "smb://dc1.example.test/share/caf%C3%A9"},
  };
  for (const Row& row : rows) {
    std::string url;
    EXPECT_EQ(SysvolFolderUrl(row.unc, "dc1.example.test", &url), S_OK) << row.unc;
    EXPECT_EQ(url, row.expected) << row.unc;
  }
}

TEST(SysvolPathTest, RefusesPathsThatLeaveTheShareOrNameNothing) {
  const char* rows[] = {
      "",
      "\\\\server",
      "\\server\\share",
      "//server/share",
      "\\\\server\\share\\",
      "\\\\server\\\\share",
      "\\\\server\\share\\..\\other",
      "\\\\server\\share\\.\\x",
      "\\\\server\\share\\a/b",
      "\\\\\\share",
  };
  for (const char* unc : rows) {
    std::string url = "unchanged";
    EXPECT_EQ(SysvolFolderUrl(unc, "dc1", &url), HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME)) << unc;
    EXPECT_EQ(url, "unchanged") << unc;
  }
}

TEST(SysvolPathTest, ChildNamesAreEncoded) {
  EXPECT_EQ(ChildUrl("smb://h/s", "Registry.pol"), "smb://h/s/Registry.pol");
  EXPECT_EQ(ChildUrl("smb://h/s", "a/b"), "smb://h/s/a%2Fb");
}

}  // namespace
