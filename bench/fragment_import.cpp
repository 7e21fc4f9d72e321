// Imports generated REG fragments of growing size (UTF-16LE and ANSI) into an in-memory hive and
// prints the time and peak memory of each import: both should grow linearly with the size.
//
// Usage: fragment_import [folder [megabytes ...]]   (defaults: /tmp, 5 50 500)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/bstr.h"
#include "fragment/fragment_file.h"
#include "registry/hive.h"

namespace {

enum class Encoding { Ansi, Utf16Le };

const char* Name(Encoding encoding) {
  return encoding == Encoding::Ansi ? "ANSI" : "UTF-16LE";
}

// Writes text to a file in the fragment's encoding, in large pieces.
class FragmentWriter {
 public:
  FragmentWriter(const std::string& path, Encoding encoding)
      : file_(std::fopen(path.c_str(), "wb")), encoding_(encoding) {
    if (encoding_ == Encoding::Utf16Le) std::fputs("\xff\xfe", file_);
  }
  ~FragmentWriter() {
    Flush();
    std::fclose(file_);
  }
  bool ok() const { return file_ != nullptr; }
  long long written() const { return written_ + static_cast<long long>(pending_.size()); }

  void Append(const std::string& utf8) {
    if (encoding_ == Encoding::Ansi) {
      pending_ += utf8;
    } else {
      AppendUtf16(utf8);
    }
    if (pending_.size() > (1 << 20)) Flush();
  }

 private:
  void AppendUtf16(const std::string& utf8) {
    int units =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::vector<WCHAR> text(static_cast<size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), units);
    for (WCHAR unit : text) {
      pending_ += static_cast<char>(unit & 0xff);
      pending_ += static_cast<char>(unit >> 8);
    }
  }
  void Flush() {
    std::fwrite(pending_.data(), 1, pending_.size(), file_);
    written_ += static_cast<long long>(pending_.size());
    pending_.clear();
  }

  FILE* file_;
  Encoding encoding_;
  std::string pending_;
  long long written_ = 0;
};

// One section as the registry editor exports it: every value syntax, lists over several lines.
std::string Section(long long index) {
  std::string key = std::to_string(index);
  std::string text = "\r\n[HKEY_LOCAL_MACHINE\\Software\\Bench\\Key" + key + "]\r\n";
  text += "@=\"Default value of key " + key + "\"\r\n";
  text += "\"Path\"=\"C:\\\\Program Files\\\\Bench\\\\" + key + "\"\r\n";
  text += "\"Name\"=\"\xe4\xb8\xad\xe6\x96\x87 text\"\r\n";
  text += "\"Count\"=dword:0000002a\r\n";
  text += "\"Quota\"=hex(b):00,10,00,00,00,00,00,00\r\n";
  text += "\"Blob\"=hex:";
  for (int i = 0; i < 256; ++i) {
    char item[8];
    std::snprintf(item, sizeof item, "%02x%s", i, i == 255 ? "" : ",");
    text += item;
    if (i % 25 == 24) text += "\\\r\n  ";
  }
  text +=
      "\r\n\"Expand\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\r\n";
  text += "  00,25,00,5c,00,42,00,65,00,6e,00,63,00,68,00,00,00\r\n";
  text += "\"Multi\"=hex(7):61,00,00,00,2d,4e,87,65,00,00,00,00\r\n";
  return text;
}

// Writes a fragment of at least the given size; returns its number of sections, 0 on failure.
long long Generate(const std::string& path, Encoding encoding, long long bytes) {
  FragmentWriter writer(path, encoding);
  if (!writer.ok()) return 0;
  writer.Append("Windows Registry Editor Version 5.00\r\n");
  long long sections = 0;
  while (writer.written() < bytes) writer.Append(Section(sections++));
  return sections;
}

// Whether the last section's key holds its whole binary value, i.e. the import got to the end.
bool LastSectionImported(HKEY root, long long sections) {
  std::string path = "Software\\Bench\\Key" + std::to_string(sections - 1);
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LSTATUS status = RegQueryValueExA(key, "Blob", nullptr, nullptr, nullptr, &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && size == 256;
}

struct Measurement {
  double seconds;
  long peak_kib;
  HRESULT result;
};

// Imports in a child process, so that its peak memory is the import's alone.
bool Measure(const std::string& path, long long sections, Measurement* measurement) {
  int channel[2];
  if (pipe(channel) != 0) return false;
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stdout);
    auto start = std::chrono::steady_clock::now();
    Measurement result{};
    {
      RegistryHive hive;
      HKEY root = hive.OpenRoot();
      UniqueBstr wide(AnsiToBstr(path.c_str()));
      FragmentFile fragment(wide.get());
      result.result = fragment.ImportSections(root, 0);
      if (result.result == S_OK && !LastSectionImported(root, sections)) result.result = E_FAIL;
      RegCloseKey(root);
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

  std::printf("%-9s %8s %10s %10s %12s %10s\n", "encoding", "MB", "seconds", "MB/s", "peak MB",
              "peak/size");
  for (Encoding encoding : {Encoding::Utf16Le, Encoding::Ansi}) {
    for (long long mb : sizes_mb) {
      std::string path = folder + "/fragment_import_bench.reg";
      long long sections = Generate(path, encoding, mb << 20);
      if (sections == 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
      Measurement measurement{};
      bool measured = Measure(path, sections, &measurement);
      std::remove(path.c_str());
      if (!measured || measurement.result != S_OK) {
        std::fprintf(stderr, "the import of %lld MB failed\n", mb);
        return 1;
      }
      double peak_mb = measurement.peak_kib / 1024.0;
      std::printf("%-9s %8lld %10.2f %10.1f %12.1f %10.2f\n", Name(encoding), mb,
                  measurement.seconds, mb / measurement.seconds, peak_mb, peak_mb / mb);
      std::fflush(stdout);
    }
  }
  return 0;
}
