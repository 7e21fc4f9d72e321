// ParseAdsPath on an ADsPath. Input: a byte choosing how the rest becomes UTF-16 (odd: as
// UTF-16LE code units, lone surrogates included; even: each byte one code unit, which keeps the
// ASCII syntax easy to reach), then the path.
//
// Properties of an accepted path: the host is lower case, the port in range, a root DSE has no
// DN and any other object has one; and the path rebuilt from the parts parses to the same parts.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "ldap/ads_path.h"
#include "ldap/directory_text.h"
#include "property.h"

namespace {

std::u16string PathFromInput(const uint8_t* data, size_t size) {
  std::u16string path;
  if (size == 0) return path;
  bool utf16 = (data[0] & 1) != 0;
  ++data;
  --size;
  if (!utf16) return std::u16string(data, data + size);
  for (size_t i = 0; i + 1 < size; i += 2)
    path += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  return path;
}

// The ADsPath for the parts: "/" in the DN takes ADsPath's escape again.
std::u16string Rebuild(const AdsPath& parsed) {
  std::string text = "LDAP://";
  if (!parsed.host.empty()) {
    text += parsed.host;
    if (parsed.port != 0) text += ":" + std::to_string(parsed.port);
    text += "/";
  }
  if (parsed.root_dse) return OleFromDirectory(text + "rootDSE");
  for (char c : parsed.dn) {
    if (c == '/') text += '\\';
    text += c;
  }
  return OleFromDirectory(text);
}

bool SameParts(const AdsPath& a, const AdsPath& b) {
  return a.host == b.host && a.port == b.port && a.root_dse == b.root_dse && a.dn == b.dn;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AdsPath parsed;
  if (!ParseAdsPath(PathFromInput(data, size), &parsed)) return 0;
  for (char c : parsed.host) {
    RequireProperty(!std::isupper(static_cast<unsigned char>(c)), "the host is lower case");
  }
  RequireProperty(parsed.port >= 0 && parsed.port <= 65535, "the port is in range");
  RequireProperty(parsed.root_dse == parsed.dn.empty(), "an object is the root DSE or has a DN");
  for (const char* configured : {"", "ldaps://dc.example.test"}) {
    RequireProperty(parsed.ServerUri(configured).empty() == parsed.host.empty(),
                    "a server URI names the host, and only when there is one");
  }

  AdsPath reparsed;
  RequireProperty(ParseAdsPath(Rebuild(parsed), &reparsed) && SameParts(parsed, reparsed),
                  "the path rebuilt from its parts parses to the same parts");
  return 0;
}
