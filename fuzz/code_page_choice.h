// Lets each input of a text fuzz target choose the ANSI code page it is read in, so one run
// covers UTF-8 and GBK, a double-byte code page whose trail bytes include '\\', '[' and '='.
#pragma once

#include <locale.h>

#include <cstddef>
#include <cstdint>

// Takes the input's first byte as the choice (odd: GBK, even: UTF-8) and removes it from
// *data and *size; this thread reads text in that code page while the object lives.
class CodePageChoice {
 public:
  CodePageChoice(const uint8_t** data, size_t* size);
  CodePageChoice(const CodePageChoice&) = delete;
  CodePageChoice& operator=(const CodePageChoice&) = delete;
  ~CodePageChoice();

 private:
  locale_t previous_;
};
