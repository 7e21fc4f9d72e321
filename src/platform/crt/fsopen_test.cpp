#include <share.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include <windows.h>

#include <gtest/gtest.h>

namespace {

class FsopenTest : public testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/fsopen_test.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    path_ = folder_ + "/file.txt";
    FILE* file = std::fopen(path_.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("text", file);
    std::fclose(file);
    fifo_ = folder_ + "/fifo";
    ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
  }
  void TearDown() override {
    unlink(path_.c_str());
    unlink(fifo_.c_str());
    rmdir(folder_.c_str());
  }

  std::string folder_;
  std::string path_;
  std::string fifo_;
};

TEST_F(FsopenTest, FailuresSetErrnoAndTheWindowsCode) {
  struct Case {
    std::string path;
    DWORD error;
  } cases[] = {
      {folder_ + "/missing.txt", ERROR_FILE_NOT_FOUND},
      {path_ + "/below", ERROR_PATH_NOT_FOUND},
      {"", ERROR_PATH_NOT_FOUND},  // as Windows names no file at all
      {folder_, ERROR_ACCESS_DENIED},
      {fifo_, ERROR_ACCESS_DENIED},  // refused at once, not waited on for a writer
  };
  for (const Case& row : cases) {
    SetLastError(ERROR_SUCCESS);
    errno = 0;
    EXPECT_EQ(_fsopen(row.path.c_str(), "r", _SH_DENYWR), nullptr) << row.path;
    EXPECT_EQ(GetLastError(), row.error) << row.path;
    EXPECT_NE(errno, 0) << row.path;
  }
}

TEST_F(FsopenTest, DenyWriteSharesWithReadersAndKeepsLockingWritersOut) {
  FILE* first = _fsopen(path_.c_str(), "r", _SH_DENYWR);
  ASSERT_NE(first, nullptr);
  FILE* second = _fsopen(path_.c_str(), "r", _SH_DENYWR);
  EXPECT_NE(second, nullptr);

  int writer = open(path_.c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  EXPECT_NE(flock(writer, LOCK_EX | LOCK_NB), 0);
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(_fsopen(path_.c_str(), "r", _SH_DENYRW), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  std::fclose(first);
  std::fclose(second);
  EXPECT_EQ(flock(writer, LOCK_EX | LOCK_NB), 0);
  close(writer);
}

}  // namespace
