#include "exit_status.h"

#include <gtest/gtest.h>

namespace {

TEST(ExitStatusTest, LinuxStatusIsTheLowByteAndNeverZeroForAFailure) {
  struct Row {
    DWORD hr;
    int status;
  } rows[] = {
      {0x00000000, 0}, {0x80070057, 87},  {0x80004003, 3},  {0x8007000E, 14},
      {0x80070005, 5}, {0x80004001, 1},   {0x80072030, 48}, {0x80040200, 1},
      {0x80070100, 1}, {0x800700FF, 255}, {0x00000001, 1},  {0x00000100, 1},
  };
  for (const Row& row : rows) {
#ifdef _WIN32
    // Windows hands the whole HRESULT to the parent.
    EXPECT_EQ(ExitStatusFor(HRESULT(row.hr)), HRESULT(row.hr)) << std::hex << row.hr;
#else
    EXPECT_EQ(ExitStatusFor(HRESULT(row.hr)), row.status) << std::hex << row.hr;
#endif
  }
}

}  // namespace
