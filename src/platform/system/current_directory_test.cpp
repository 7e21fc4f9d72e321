#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include <windows.h>

#include "support/scratch_folder.h"

namespace {

class CurrentDirectoryTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

  ScratchCurrentDirectory folder_;
};

TEST_F(CurrentDirectoryTest, ReturnValuesFollowWindows) {
  const DWORD length = DWORD(folder_.path().size());
  char buffer[512];
  EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), length + 1) << "size query";
  EXPECT_EQ(GetCurrentDirectoryA(length, buffer), length + 1) << "one byte short";
  EXPECT_EQ(GetCurrentDirectoryA(length + 1, buffer), length) << "exact fit";
  EXPECT_EQ(std::string(buffer), folder_.path());
}

TEST_F(CurrentDirectoryTest, RemovedDirectoryIsAFailure) {
  ASSERT_EQ(rmdir(folder_.path().c_str()), 0);
  char buffer[512];
  SetLastError(0);
  EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

}  // namespace
