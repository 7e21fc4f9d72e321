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
  ProfileFileIdentity identity;
  UINT code_page = 0;
  std::shared_ptr<const ParsedProfile> profile;
};

std::mutex cache_mutex;
CachedProfile cache;

}  // namespace

// The previous file is let go before the next is read, so only one parsed copy is alive
// (unless a caller still holds the old one).
std::shared_ptr<const ParsedProfile> LoadProfile(const char* path, DWORD* error) {
  std::lock_guard<std::mutex> lock(cache_mutex);
  UINT code_page = GetACP();
  ProfileFileIdentity identity;
  if (!StatProfileFile(path, &identity, error)) {
    cache = CachedProfile();
    return nullptr;
  }
  if (cache.profile && cache.path == path && cache.identity == identity &&
      cache.code_page == code_page) {
    return cache.profile;
  }
  cache = CachedProfile();
  TextBuffer text;
  if (!ReadProfileFile(path, code_page, &text, &identity, error)) return nullptr;
  auto profile = std::make_shared<const ParsedProfile>(
      ParseProfile(std::move(text), CodePageText::ForCodePage(code_page)));
  cache = CachedProfile{path, identity, code_page, profile};
  return profile;
}
