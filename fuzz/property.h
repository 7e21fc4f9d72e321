// Stops a fuzz target when a property of the code under test fails, so libFuzzer keeps the
// input that broke it as a crash artefact, just as it does for a sanitizer report.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void RequireProperty(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", property);
  std::abort();
}
