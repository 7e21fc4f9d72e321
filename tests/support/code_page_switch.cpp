#include "code_page_switch.h"

#ifndef _WIN32
#include "test_locale.h"
#endif

#ifdef _WIN32

struct CodePageSwitch::Locale {};

CodePageSwitch::CodePageSwitch(UINT code_page) : active_(GetACP() == code_page) {}

#else

struct CodePageSwitch::Locale {
  explicit Locale(const char* name) : scoped(name) {}
  ScopedLocale scoped;
};

namespace {

// The locales of the code pages tests name; the platform reads the code page off the locale.
const char* LocaleOf(UINT code_page) {
  switch (code_page) {
    case 65001:
      return "C.UTF-8";
    case 936:
      return kGbkLocale;
    default:
      return nullptr;
  }
}

}  // namespace

CodePageSwitch::CodePageSwitch(UINT code_page) : active_(false) {
  const char* name = LocaleOf(code_page);
  if (name == nullptr) return;
  locale_ = std::make_unique<Locale>(name);
  active_ = locale_->scoped.active() && GetACP() == code_page;
}

#endif

CodePageSwitch::~CodePageSwitch() = default;
