// Measures the code-page conversions and multibyte-aware searches on 100 MB of text, the size of
// the largest fragments: `code_page_bench [locale]` (e.g. zh_CN.GBK with LOCPATH set).
#include <chrono>
#include <clocale>
#include <cstdio>
#include <string>

#include <windows.h>

#include "common/ansi_text.h"

namespace {

constexpr size_t kTextBytes = 100 * 1000 * 1000;

// Lines of ASCII with a non-ASCII word in the ANSI code page (its second character), as in a
// fragment of registry paths and values.
std::string SampleText() {
  const char16_t word[] = u"\u4E2D\u4E57";
  char encoded[16] = {};
  WideCharToMultiByte(CP_ACP, 0, word, 2, encoded, sizeof encoded - 1, nullptr, nullptr);
  std::string line = std::string("[HKEY_LOCAL_MACHINE\\Software\\") + encoded +
                     "\\Settings]\r\n\"Name\"=\"value " + encoded + "\"\r\n";
  std::string text;
  text.reserve(kTextBytes + line.size());
  while (text.size() < kTextBytes) text += line;
  return text;
}

template <typename Work>
void Measure(const char* name, size_t bytes, Work work) {
  auto start = std::chrono::steady_clock::now();
  work();
  std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  std::printf("%-32s %8.0f MB/s\n", name, bytes / seconds.count() / 1e6);
}

}  // namespace

int main(int argc, char* argv[]) {
  std::setlocale(LC_CTYPE, argc > 1 ? argv[1] : "");
  std::printf("ANSI code page %u\n", GetACP());
  std::string text = SampleText();
  int length = static_cast<int>(text.size());

  std::u16string wide(text.size(), u'\0');
  int wide_length = 0;
  Measure("MultiByteToWideChar", text.size(), [&] {
    wide_length = MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], length);
  });
  std::string back(text.size() * 2, '\0');
  Measure("WideCharToMultiByte", text.size(), [&] {
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, &back[0], int(back.size()), nullptr,
                        nullptr);
  });
  size_t found = 0;
  Measure("FindAnsiChar per line", text.size(), [&] {
    for (const char* p = text.c_str(); (p = FindAnsiChar(p, '\n')) != nullptr; ++p) ++found;
  });
  Measure("AnsiCharLength walk", text.size(), [&] {
    for (const char* p = text.c_str(); *p != '\0'; p += AnsiCharLength(p)) ++found;
  });
  return found == 0;
}
