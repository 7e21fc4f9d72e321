#include "progress.h"

#include <cstdio>
#include <string>

#include "common/bstr.h"

namespace {

// Through the ANSI code page, so names in any script print as the console shows them.
std::string Printable(BSTR text) {
  return text == nullptr ? "(null)" : BstrToAnsi(text);
}

}  // namespace

void PrintProgress(BSTR target, BSTR source) {
  std::printf("Processing...\n");
  std::printf("  GPO Name: %s\n  REG Fragment: %s\n", Printable(target).c_str(),
              Printable(source).c_str());
}

void FlushOutput() {
  std::fflush(stdout);
}
