#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <windows.h>

namespace {

// Makes a fresh folder the current directory and returns to the previous one afterwards.
class CurrentDirectoryTest : public testing::Test {
 protected:
  void SetUp() override {
    char* previous = getcwd(nullptr, 0);
    previous_ = previous;
    std::free(previous);
    char pattern[] = "/tmp/regweave-cwd-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ASSERT_EQ(chdir(folder_.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(previous_.c_str()), 0);
    rmdir(folder_.c_str());
  }

  std::string previous_;
  std::string folder_;
};

TEST_F(CurrentDirectoryTest, ReturnValuesFollowWindows) {
  const DWORD length = DWORD(folder_.size());
  char buffer[512];
  EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), length + 1) << "size query";
  EXPECT_EQ(GetCurrentDirectoryA(length, buffer), length + 1) << "one byte short";
  EXPECT_EQ(GetCurrentDirectoryA(length + 1, buffer), length) << "exact fit";
  EXPECT_EQ(std::string(buffer), folder_);
}

TEST_F(CurrentDirectoryTest, RemovedDirectoryIsAFailure) {
  ASSERT_EQ(rmdir(folder_.c_str()), 0);
  char buffer[512];
  SetLastError(0);
  EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

}  // namespace
