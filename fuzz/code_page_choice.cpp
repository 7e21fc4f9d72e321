#include "code_page_choice.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_locale.h"

namespace {

locale_t LoadLocale(const char* name) {
  locale_t loaded = newlocale(LC_ALL_MASK, name, nullptr);
  if (loaded == nullptr) {
    std::fprintf(stderr, "cannot load the %s locale (LOCPATH %s)\n", name, TestLocalePath());
    std::abort();
  }
  return loaded;
}

// Both locales are loaded once: switching a thread between loaded locales costs next to
// nothing, unlike setlocale, which would dominate a run of small inputs.
struct Locales {
  locale_t utf8 = LoadLocale("C.UTF-8");
  locale_t gbk = LoadGbk();

  static locale_t LoadGbk() {
    const char* previous = std::getenv("LOCPATH");
    std::string kept = previous != nullptr ? previous : "";
    setenv("LOCPATH", TestLocalePath(), 1);
    locale_t gbk = LoadLocale(kGbkLocale);
    if (previous != nullptr) {
      setenv("LOCPATH", kept.c_str(), 1);
    } else {
      unsetenv("LOCPATH");
    }
    return gbk;
  }
};

}  // namespace

// glibc's newlocale never frees the search list it builds from LOCPATH: one small allocation per
// process, not a fault of the code under test.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:argz_add_sep\n";
}
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}

CodePageChoice::CodePageChoice(const uint8_t** data, size_t* size) {
  static const Locales locales;
  bool gbk = *size > 0 && (**data & 1) != 0;
  if (*size > 0) {
    ++*data;
    --*size;
  }
  previous_ = uselocale(gbk ? locales.gbk : locales.utf8);
}

CodePageChoice::~CodePageChoice() {
  uselocale(previous_);
}
