// Writes one generated REG fragment, for benchmarks that run the built program on it.
//
// Usage: make_fragment PATH utf16le|ansi MEGABYTES
// Prints the number of sections and the last section's key (below HKEY_LOCAL_MACHINE).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fragment_generator.h"

int main(int argc, char** argv) {
  std::string encoding = argc == 4 ? argv[2] : "";
  if (encoding != "utf16le" && encoding != "ansi") {
    std::fprintf(stderr, "usage: make_fragment PATH utf16le|ansi MEGABYTES\n");
    return 2;
  }
  GeneratedFragment fragment = GenerateFragment(
      argv[1], encoding == "ansi" ? FragmentEncoding::Ansi : FragmentEncoding::Utf16Le,
      std::atoll(argv[3]) << 20);
  if (fragment.sections == 0) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%lld %s\n", fragment.sections, fragment.last_key.c_str());
  return 0;
}
