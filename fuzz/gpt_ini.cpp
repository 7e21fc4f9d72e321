// ReadGptIniVersion and RewriteGptIniVersion on a GPT.INI's bytes. Input: four bytes of the new
// version (little-endian), then the file. A file that reads must rewrite to one that reads as
// the new version, and rewriting that again must change nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <windows.h>

#include "gpo/gpt_ini.h"
#include "property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  DWORD version = data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24;
  std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);

  DWORD current = 0;
  if (FAILED(ReadGptIniVersion(text, &current))) return 0;
  std::string rewritten = RewriteGptIniVersion(text, version);
  DWORD reread = 0;
  RequireProperty(SUCCEEDED(ReadGptIniVersion(rewritten, &reread)), "a rewritten file reads");
  RequireProperty(reread == version, "a rewritten file holds the new version");
  RequireProperty(RewriteGptIniVersion(rewritten, version) == rewritten,
                  "rewriting the same version again changes nothing");
  return 0;
}
