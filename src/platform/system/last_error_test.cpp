#include <gtest/gtest.h>

#include <thread>

#include <windows.h>

namespace {

TEST(LastErrorTest, EachThreadHasItsOwn) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD seen_at_start = 1234;
  DWORD seen_after_set = 0;
  std::thread other([&] {
    seen_at_start = GetLastError();
    SetLastError(ERROR_FILE_NOT_FOUND);
    seen_after_set = GetLastError();
  });
  other.join();
  EXPECT_EQ(seen_at_start, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(seen_after_set, DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
}

}  // namespace
