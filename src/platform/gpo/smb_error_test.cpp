#include "gpo/smb_error.h"

#include <cerrno>

#include <gtest/gtest.h>

namespace {

TEST(SmbErrorTest, MapsErrnoToHresult) {
  struct Row {
    int error;
    HRESULT expected;
  };
  const Row rows[] = {
      {EACCES, static_cast<HRESULT>(0x80070005)},
      {EPERM, static_cast<HRESULT>(0x80070005)},
      {ENOSPC, static_cast<HRESULT>(0x80070070)},
      {ENOENT, static_cast<HRESULT>(0x80070002)},
      {ENOTDIR, static_cast<HRESULT>(0x80070003)},
      {ECONNREFUSED, static_cast<HRESULT>(0x80070035)},
      {EHOSTUNREACH, static_cast<HRESULT>(0x80070035)},
      {ENODEV, static_cast<HRESULT>(0x80070043)},
      {EBUSY, static_cast<HRESULT>(0x80070020)},
      {ETIMEDOUT, static_cast<HRESULT>(0x800705B4)},
      {0, E_FAIL},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(HresultFromSmbErrno(row.error), row.expected) << "errno " << row.error;
  }
}

}  // namespace
