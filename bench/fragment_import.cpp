// Imports generated REG fragments of growing size (UTF-16LE and ANSI) into an in-memory hive, saves
// the hive as Registry.pol bytes and lets both go, and prints the time of each step and the peak
// memory: both should grow linearly with the size.
//
// Usage: fragment_import [folder [megabytes ...]]   (defaults: /tmp, 5 50 500)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/bstr.h"
#include "fragment/fragment_file.h"
#include "fragment_generator.h"
#include "registry/hive.h"

namespace {

// Whether the last section's key holds its number, i.e. the import got to the end.
bool LastSectionImported(HKEY root, const GeneratedFragment& fragment) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, fragment.last_key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD index = 0;
  DWORD size = sizeof index;
  LSTATUS status =
      RegQueryValueExA(key, "Index", nullptr, nullptr, reinterpret_cast<BYTE*>(&index), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && index == static_cast<DWORD>(fragment.sections - 1);
}

struct Measurement {
  double import_seconds;  // reading the fragment into the hive
  double save_seconds;    // the hive as Registry.pol bytes
  double free_seconds;    // letting go of the hive and the bytes
  long peak_kib;
  HRESULT result;
};

double SecondsSince(std::chrono::steady_clock::time_point* start) {
  auto now = std::chrono::steady_clock::now();
  double seconds = std::chrono::duration<double>(now - *start).count();
  *start = now;
  return seconds;
}

// Imports in a child process, so that its peak memory is the import's alone.
bool Measure(const std::string& path, const GeneratedFragment& generated,
             Measurement* measurement) {
  int channel[2];
  if (pipe(channel) != 0) return false;
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stdout);
    auto start = std::chrono::steady_clock::now();
    Measurement result{};
    {
      auto hive = std::make_unique<RegistryHive>();
      HKEY root = hive->OpenRoot();
      UniqueBstr wide(AnsiToBstr(path.c_str()));
      FragmentFile fragment(wide.get());
      result.result = fragment.ImportSections(root, 0);
      if (result.result == S_OK && !LastSectionImported(root, generated)) result.result = E_FAIL;
      RegCloseKey(root);
      result.import_seconds = SecondsSince(&start);
      auto saved = std::make_unique<std::string>(hive->Save());
      result.save_seconds = SecondsSince(&start);
      hive.reset();
      saved.reset();
      result.free_seconds = SecondsSince(&start);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    result.peak_kib = usage.ru_maxrss;
    ssize_t sent = write(channel[1], &result, sizeof result);
    _exit(sent == sizeof result ? 0 : 1);
  }
  close(channel[1]);
  bool received = read(channel[0], measurement, sizeof *measurement) == sizeof *measurement;
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return received && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "/tmp";
  std::vector<long long> sizes_mb;
  for (int i = 2; i < argc; ++i) sizes_mb.push_back(std::atoll(argv[i]));
  if (sizes_mb.empty()) sizes_mb = {5, 50, 500};

  std::printf("%-9s %6s %8s %8s %8s %8s %8s %10s %10s\n", "encoding", "MB", "import", "save",
              "free", "seconds", "MB/s", "peak MB", "peak/size");
  for (FragmentEncoding encoding : {FragmentEncoding::Utf16Le, FragmentEncoding::Ansi}) {
    for (long long mb : sizes_mb) {
      std::string path = folder + "/fragment_import_bench.reg";
      GeneratedFragment generated = GenerateFragment(path, encoding, mb << 20);
      if (generated.sections == 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
      Measurement measurement{};
      bool measured = Measure(path, generated, &measurement);
      std::remove(path.c_str());
      if (!measured || measurement.result != S_OK) {
        std::fprintf(stderr, "the import of %lld MB failed\n", mb);
        return 1;
      }
      double peak_mb = measurement.peak_kib / 1024.0;
      double seconds =
          measurement.import_seconds + measurement.save_seconds + measurement.free_seconds;
      std::printf("%-9s %6lld %8.2f %8.2f %8.2f %8.2f %8.1f %10.1f %10.2f\n",
                  EncodingName(encoding), mb, measurement.import_seconds, measurement.save_seconds,
                  measurement.free_seconds, seconds, mb / seconds, peak_mb, peak_mb / mb);
      std::fflush(stdout);
    }
  }
  return 0;
}
