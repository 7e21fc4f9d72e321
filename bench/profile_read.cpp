// Times the profile reader alone on generated fragments, as the import uses it: the section-name
// list (which reads, decodes and parses the whole file into the cached sections) and then every
// section's lines. Run it on two builds to weigh a change to the reader's containers against
// what the whole import costs (fragment_import).
//
// Usage: profile_read [folder [megabytes ...]]   (defaults: /tmp, 100; three runs each)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <utime.h>

#include <windows.h>

#include "fragment_generator.h"

namespace {

constexpr int kRuns = 3;

struct Timing {
  double names_seconds;     // the first call: read, decode, parse and cache the file
  double sections_seconds;  // every section's lines from the cached file
  long long sections;
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A new modification time, so each run parses the file again rather than using the cache.
void Touch(const std::string& path, int run) {
  struct utimbuf times = {1000000000 + run, 1000000000 + run};
  utime(path.c_str(), &times);
}

bool TimeOnce(const std::string& path, Timing* timing) {
  std::vector<char> names(512u << 20);
  std::vector<char> lines(1u << 20);
  auto start = std::chrono::steady_clock::now();
  DWORD length =
      GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path.c_str());
  timing->names_seconds = Seconds(start);
  if (length == 0 || GetLastError() == ERROR_MORE_DATA) return false;
  timing->sections = 0;
  start = std::chrono::steady_clock::now();
  for (const char* name = names.data(); *name != '\0'; name += std::strlen(name) + 1) {
    GetPrivateProfileSectionA(name, lines.data(), static_cast<DWORD>(lines.size()), path.c_str());
    ++timing->sections;
  }
  timing->sections_seconds = Seconds(start);
  return true;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "/tmp";
  std::vector<long long> sizes_mb;
  for (int i = 2; i < argc; ++i) sizes_mb.push_back(std::atoll(argv[i]));
  if (sizes_mb.empty()) sizes_mb = {100};
  std::printf("%-9s %6s %9s %9s %9s\n", "encoding", "MB", "sections", "names s", "lines s");
  for (FragmentEncoding encoding : {FragmentEncoding::Utf16Le, FragmentEncoding::Ansi}) {
    for (long long mb : sizes_mb) {
      std::string path = folder + "/profile_read_" + std::to_string(mb) + ".reg";
      if (GenerateFragment(path, encoding, mb << 20).sections == 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
      std::vector<double> names, lines;
      Timing timing{};
      for (int run = 0; run < kRuns; ++run) {
        Touch(path, run);
        if (!TimeOnce(path, &timing)) {
          std::fprintf(stderr, "reading %s failed\n", path.c_str());
          return 1;
        }
        names.push_back(timing.names_seconds);
        lines.push_back(timing.sections_seconds);
      }
      std::printf("%-9s %6lld %9lld %9.3f %9.3f\n", EncodingName(encoding), mb, timing.sections,
                  Median(names), Median(lines));
      std::remove(path.c_str());
    }
  }
  return 0;
}
