#include "profile_cache.h"

#include <mutex>
#include <string>
#include <utility>

#include <winnls.h>

#include "profile_file.h"
#include "profile_parser.h"

namespace {

struct CachedProfile {
  std::string path;
  HeldProfileFile file;
  UINT code_page = 0;
  std::shared_ptr<const ParsedProfile> profile;
};

std::mutex cache_mutex;
CachedProfile cache;

}  // namespace

// The previous file is let go before the next is read, so only one parsed copy is alive
// (unless a caller still holds the old one). The cached file is checked through the descriptor
// held open since its read: a reader that asks for a large file section by section would
// otherwise spend a good part of its time looking up the same path.
std::shared_ptr<const ParsedProfile> LoadProfile(const char* path, DWORD* error) {
  std::lock_guard<std::mutex> lock(cache_mutex);
  UINT code_page = GetACP();
  if (cache.profile && cache.path == path && cache.code_page == code_page &&
      cache.file.Unchanged()) {
    return cache.profile;
  }
  cache = CachedProfile();
  TextBuffer text;
  HeldProfileFile file;
  if (!ReadProfileFile(path, code_page, &text, &file, error)) return nullptr;
  auto profile = std::make_shared<const ParsedProfile>(
      ParseProfile(std::move(text), CodePageText::ForCodePage(code_page)));
  cache = CachedProfile{path, std::move(file), code_page, profile};
  return profile;
}
