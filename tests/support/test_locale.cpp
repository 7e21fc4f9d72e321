#include "test_locale.h"

#include <clocale>
#include <cstdlib>

const char* TestLocalePath() {
  return REGWEAVE_TEST_LOCPATH;
}

ScopedLocale::ScopedLocale(const char* name) {
  previous_locale_ = std::setlocale(LC_ALL, nullptr);
  const char* locpath = std::getenv("LOCPATH");
  had_locpath_ = locpath != nullptr;
  if (had_locpath_) previous_locpath_ = locpath;
  setenv("LOCPATH", TestLocalePath(), 1);
  active_ = std::setlocale(LC_ALL, name) != nullptr;
}

ScopedLocale::~ScopedLocale() {
  std::setlocale(LC_ALL, previous_locale_.c_str());
  if (had_locpath_) {
    setenv("LOCPATH", previous_locpath_.c_str(), 1);
  } else {
    unsetenv("LOCPATH");
  }
}
