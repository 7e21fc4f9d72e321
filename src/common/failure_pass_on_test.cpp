#include "failure_pass_on.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// Counts releases and, like a real release, disturbs the last error.
struct Holder {
  int releases = 0;
  void Release() {
    ++releases;
    SetLastError(ERROR_INVALID_HANDLE);
  }
};

TEST(FailurePassOnTest, ComErrorPassesOnAsACopy) {
  Holder holder;
  try {
    PassFailuresOn([] { _com_issue_error(E_OUTOFMEMORY); }, [&] { holder.Release(); });
    FAIL() << "nothing raised";
  } catch (const _com_error& error) {
    EXPECT_EQ(error.Error(), E_OUTOFMEMORY);
  }
  EXPECT_EQ(holder.releases, 1);
}

TEST(FailurePassOnTest, HresultErrorPassesOnWithItsValue) {
  Holder holder;
  try {
    PassFailuresOn([] { ThrowIfFailed(E_POINTER); }, [&] { holder.Release(); });
    FAIL() << "nothing raised";
  } catch (const HresultError& error) {
    EXPECT_EQ(error.value, E_POINTER);
  }
  EXPECT_EQ(holder.releases, 1);
}

TEST(FailurePassOnTest, OtherFailurePassesOnUnchangedWithItsLastError) {
  Holder holder;
  try {
    PassFailuresOn(
        [] {
          SetLastError(ERROR_ACCESS_DENIED);
          throw std::runtime_error("disk");
        },
        [&] { holder.Release(); });
    FAIL() << "nothing raised";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "disk");
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED)) << "the release's last error leaked";
  }
  EXPECT_EQ(holder.releases, 1);
}

TEST(FailurePassOnTest, NoFailureNoRelease) {
  Holder holder;
  bool ran = false;
  PassFailuresOn([&] { ran = true; }, [&] { holder.Release(); });
  EXPECT_TRUE(ran);
  EXPECT_EQ(holder.releases, 0) << "releasing after success is the caller's business";
}

}  // namespace
