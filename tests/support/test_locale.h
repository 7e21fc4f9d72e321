// Runs a Linux test under another locale, e.g. the zh_CN.GBK one the build compiles for tests.
#pragma once

#include <string>

// The names of the GBK and Shift_JIS locales in TestLocalePath().
inline constexpr const char* kGbkLocale = "zh_CN.GBK";
inline constexpr const char* kShiftJisLocale = "ja_JP.SJIS";

// The folder of the test locales, for LOCPATH.
const char* TestLocalePath();

// Switches the process's locale (all categories) while it lives, finding locales in
// TestLocalePath(); the previous locale and LOCPATH come back on destruction.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name);
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;
  ~ScopedLocale();

  // False when the locale could not be loaded.
  bool active() const { return active_; }

 private:
  std::string previous_locale_;
  std::string previous_locpath_;
  bool had_locpath_;
  bool active_;
};
