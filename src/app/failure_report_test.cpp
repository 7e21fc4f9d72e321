#include "failure_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

#include <comdef.h>

#include "common/hresult_error.h"

namespace {

struct Report {
  std::string line;
  int status;
};

Report ReportOf(const std::function<void()>& raise) {
  testing::internal::CaptureStdout();
  int status = -1;
  try {
    raise();
  } catch (...) {
    status = ReportCurrentFailure();
  }
  return {testing::internal::GetCapturedStdout(), status};
}

std::string TrimmedSystemText(HRESULT hr) {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, DWORD(hr), 0,
                 reinterpret_cast<LPSTR>(&text), 0, nullptr);
  if (text == nullptr) {  // Wine has no text for some codes; _com_error then names the code
    char unknown[40];
    std::snprintf(unknown, sizeof unknown, "Unknown error 0x%08X", static_cast<unsigned>(hr));
    return unknown;
  }
  std::string result(text);
  LocalFree(text);
  return result.substr(0, result.find_last_not_of("\r\n") + 1);
}

struct Row {
  const char* name;
  std::function<void()> raise;
  std::string line;
  int status;
};

// The rows give the Linux build's status; the Windows build's is the HRESULT itself, or 1.
int PlatformStatus(const Row& row) {
#ifdef _WIN32
  if (row.line.rfind("Unspecified", 0) == 0) return 1;
  return static_cast<int>(std::stoul(row.line.substr(row.line.find("hr=") + 3, 10), nullptr, 16));
#else
  return row.status;
#endif
}

void Check(const Row& row) {
  Report report = ReportOf(row.raise);
  EXPECT_EQ(report.line, row.line) << row.name;
  EXPECT_EQ(report.status, PlatformStatus(row)) << row.name;
}

TEST(FailureReportTest, ComErrors) {
  const Row rows[] = {
      {"system text without its line break", [] { _com_issue_error(E_POINTER); },
       "COM Error occured. hr=0x80004003, msg=" + TrimmedSystemText(E_POINTER) + "\n", 3},
      {"Win32 HRESULT", [] { _com_issue_error(E_OUTOFMEMORY); },
       "COM Error occured. hr=0x8007000e, msg=" + TrimmedSystemText(E_OUTOFMEMORY) + "\n", 14},
      {"IDispatch code", [] { _com_issue_error(HRESULT(0x80040201)); },
       "COM Error occured. hr=0x80040201, msg=IDispatch error #1\n", 1},
      {"no text and no code", [] { _com_issue_error(HRESULT(0x80040200)); },
       "COM Error occured. hr=0x80040200, msg=Unknown error 0x80040200\n", 1},
  };
  for (const Row& row : rows) Check(row);
}

TEST(FailureReportTest, HresultErrors) {
  const Row rows[] = {
      {"missing scope switch", [] { throw HresultError{E_INVALIDARG}; },
       "Error occured. hr=0x80070057\n", 87},
      {"no policy found", [] { ThrowIfFailed(E_POINTER); }, "Error occured. hr=0x80004003\n", 3},
      {"low byte zero", [] { throw HresultError{HRESULT(0x80070100)}; },
       "Error occured. hr=0x80070100\n", 1},
  };
  for (const Row& row : rows) Check(row);
}

TEST(FailureReportTest, OtherFailuresReportTheLastError) {
  auto raise_with_last_error = [](DWORD code) {
    return [code] {
      SetLastError(code);
      throw std::runtime_error("other");
    };
  };
  const Row rows[] = {
      {"Win32 code", raise_with_last_error(ERROR_ACCESS_DENIED),
       "Unspecified error occured. hr=0x80070005\n", 1},
      {"no last error", raise_with_last_error(0), "Unspecified error occured. hr=0x00000000\n", 1},
      {"only the low word is kept", raise_with_last_error(0x12345),
       "Unspecified error occured. hr=0x80072345\n", 1},
      {"already an HRESULT", raise_with_last_error(0x80004005),
       "Unspecified error occured. hr=0x80004005\n", 1},
      {"not even an exception class",
       [] {
         SetLastError(2);
         throw 42;
       },
       "Unspecified error occured. hr=0x80070002\n", 1},
  };
  for (const Row& row : rows) Check(row);
}

}  // namespace
