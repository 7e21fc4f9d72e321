// The ANSI code page a test needs. The Linux build switches to it through the locale for the
// switch's lifetime; a Windows process's code page is fixed, so there the switch is active only
// when the process runs in that code page (the test command runs each Windows test program in
// 1252, 936 and 65001).
#pragma once

#include <memory>

#include <windows.h>

class CodePageSwitch {
 public:
  explicit CodePageSwitch(UINT code_page);
  CodePageSwitch(const CodePageSwitch&) = delete;
  CodePageSwitch& operator=(const CodePageSwitch&) = delete;
  ~CodePageSwitch();

  // False when the code page is not in force.
  bool active() const { return active_; }

 private:
  struct Locale;
  std::unique_ptr<Locale> locale_;
  bool active_;
};

// Skips the rest of a test unless code page is in force.
#define REQUIRE_CODE_PAGE(code_page)                                        \
  CodePageSwitch code_page_switch_(code_page);                              \
  if (!code_page_switch_.active())                                          \
  GTEST_SKIP() << "needs code page " << (code_page) << ", runs in " << GetACP()
