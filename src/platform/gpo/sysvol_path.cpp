#include "gpo/sysvol_path.h"

#include <vector>

namespace {

// Characters passed through unencoded; everything else (including UTF-8 bytes, which the
// parser decodes back) becomes %XX.
bool IsPlainUrlCharacter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.' || c == '~' || c == '{' || c == '}' || c == '$';
}

std::string PercentEncode(std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (char c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (IsPlainUrlCharacter(byte)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xF];
    }
  }
  return encoded;
}

std::vector<std::string_view> SplitBackslashes(std::string_view text) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t at; (at = text.find('\\', start)) != std::string_view::npos; start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace

HRESULT SysvolFolderUrl(std::string_view unc_path, std::string_view host, std::string* url) {
  const HRESULT bad_path = HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME);
  if (unc_path.substr(0, 2) != "\\\\" || host.empty()) return bad_path;
  std::vector<std::string_view> parts = SplitBackslashes(unc_path.substr(2));
  if (parts.size() < 2) return bad_path;
  for (std::string_view part : parts) {
    if (part.empty() || part == "." || part == ".." || part.find('/') != std::string_view::npos) {
      return bad_path;
    }
  }
  std::string result = "smb://" + std::string(host);
  // parts[0] is the domain name the path was written with; the host replaces it.
  for (size_t i = 1; i < parts.size(); ++i) result = ChildUrl(result, parts[i]);
  *url = std::move(result);
  return S_OK;
}

std::string ChildUrl(std::string_view url, std::string_view name) {
  return std::string(url) + '/' + PercentEncode(name);
}
