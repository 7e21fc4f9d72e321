#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <string>

#include <windows.h>

namespace {

std::string ShortHostName() {
  char host[HOST_NAME_MAX + 1] = {};
  gethostname(host, sizeof host - 1);
  std::string name = host;
  return name.substr(0, name.find('.'));
}

TEST(ComputerNameTest, GivesTheShortHostName) {
  char buffer[256] = {};
  DWORD size = sizeof buffer;
  ASSERT_TRUE(GetComputerNameA(buffer, &size));
  EXPECT_EQ(std::string(buffer), ShortHostName());
  EXPECT_EQ(size, ShortHostName().size()) << "the length without the terminator";
}

TEST(ComputerNameTest, SizeRulesOfTheBuffer) {
  const DWORD needed = DWORD(ShortHostName().size() + 1);
  struct Row {
    DWORD size;
    BOOL ok;
    DWORD size_after;
  } rows[] = {{0, FALSE, needed}, {needed - 1, FALSE, needed}, {needed, TRUE, needed - 1}};
  for (const Row& row : rows) {
    char buffer[256];
    std::string untouched(sizeof buffer, 'x');
    untouched.copy(buffer, sizeof buffer);
    DWORD size = row.size;
    SetLastError(0);
    EXPECT_EQ(GetComputerNameA(buffer, &size), row.ok) << "size " << row.size;
    EXPECT_EQ(size, row.size_after) << "size " << row.size;
    if (!row.ok) {
      EXPECT_EQ(GetLastError(), DWORD(ERROR_BUFFER_OVERFLOW)) << "size " << row.size;
      EXPECT_EQ(std::string(buffer, sizeof buffer), untouched) << "size " << row.size;
    }
  }
}

}  // namespace
