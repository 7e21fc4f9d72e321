#include "ads_path.h"

#include <ldap.h>

#include <cctype>

#include "directory_text.h"
#include "system/ascii_text.h"

namespace {

constexpr std::string_view kScheme = "LDAP://";  // the provider's name is case-sensitive

bool IsHex(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool IsAlnum(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// The position of the first "/" that no backslash escapes, or npos.
size_t FindComponentSeparator(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == '/') {
      return i;
    }
  }
  return std::string_view::npos;
}

bool ParsePort(std::string_view digits, int* port) {
  if (digits.empty() || digits.size() > 5) return false;
  int value = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return false;
  *port = value;
  return true;
}

bool IsHostNameChar(char c) {
  return IsAlnum(c) || c == '-' || c == '.' || c == '_';
}
bool IsIpv6Char(char c) {
  return IsHex(c) || c == ':' || c == '.';
}

bool ParseServer(std::string_view server, AdsPath* parsed) {
  size_t host_end;
  if (!server.empty() && server[0] == '[') {
    host_end = server.find(']');
    if (host_end == std::string_view::npos || host_end == 1) return false;
    for (char c : server.substr(1, host_end - 1)) {
      if (!IsIpv6Char(c)) return false;
    }
    ++host_end;
  } else {
    host_end = server.find(':');
    if (host_end == std::string_view::npos) host_end = server.size();
    if (host_end == 0) return false;
    for (char c : server.substr(0, host_end)) {
      if (!IsHostNameChar(c)) return false;
    }
  }
  parsed->host.clear();
  for (char c : server.substr(0, host_end)) {
    parsed->host += AsciiLower(c);
  }
  if (host_end == server.size()) return true;
  return server[host_end] == ':' && ParsePort(server.substr(host_end + 1), &parsed->port);
}

bool IsEscapable(char c) {
  return std::string_view(" \"#+,;<=>\\/").find(c) != std::string_view::npos;
}

// Copies one attribute value up to its unescaped "," or "+" (or the end), checking escapes;
// returns the position after it, or npos when it is malformed.
size_t CopyValue(std::string_view text, size_t i, std::string* dn) {
  while (i < text.size() && text[i] != ',' && text[i] != '+') {
    char c = text[i];
    if (c == '/') return std::string_view::npos;  // a component separator inside the DN
    if (c != '\\') {
      *dn += c;
      ++i;
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '/') {
      *dn += '/';  // ADsPath's escape; "/" needs none in LDAP
      i += 2;
    } else if (i + 2 < text.size() && IsHex(text[i + 1]) && IsHex(text[i + 2])) {
      dn->append(text.substr(i, 3));
      i += 3;
    } else if (i + 1 < text.size() && IsEscapable(text[i + 1])) {
      dn->append(text.substr(i, 2));
      i += 2;
    } else {
      return std::string_view::npos;
    }
  }
  return i;
}

// Copies "type=" with the type a name or an OID; returns the position after "=" or npos.
size_t CopyType(std::string_view text, size_t i, std::string* dn) {
  while (i < text.size() && text[i] == ' ') *dn += text[i++];
  size_t start = i;
  while (i < text.size() && (IsAlnum(text[i]) || text[i] == '-' || text[i] == '.')) ++i;
  if (i == start) return std::string_view::npos;
  dn->append(text.substr(start, i - start));
  while (i < text.size() && text[i] == ' ') *dn += text[i++];
  if (i == text.size() || text[i] != '=') return std::string_view::npos;
  *dn += '=';
  return i + 1;
}

bool ConvertDn(std::string_view text, std::string* dn) {
  dn->clear();
  size_t i = 0;
  while (true) {
    i = CopyType(text, i, dn);
    if (i == std::string_view::npos) return false;
    i = CopyValue(text, i, dn);
    if (i == std::string_view::npos) return false;
    if (i == text.size()) return true;
    *dn += text[i++];  // "," or "+": another attribute value must follow
  }
}

}  // namespace

std::string AdsPath::ServerUri(std::string_view configured_uri) const {
  if (host.empty()) return std::string();
  std::string scheme = "ldap";
  int chosen_port = port;
  LDAPURLDesc* configured = nullptr;
  if (port == 0 && !configured_uri.empty() &&
      ldap_url_parse(std::string(configured_uri).c_str(), &configured) == LDAP_URL_SUCCESS) {
    if (configured->lud_scheme != nullptr) scheme = configured->lud_scheme;
    // libldap fills in the scheme's own port, which the URI need not repeat.
    const int default_port = scheme == "ldaps" ? LDAPS_PORT : LDAP_PORT;
    if (configured->lud_port != default_port) chosen_port = configured->lud_port;
    ldap_free_urldesc(configured);
  }
  // As ADSI does, the LDAPS port means TLS.
  if (chosen_port == LDAPS_PORT) scheme = "ldaps";
  std::string uri = scheme + "://" + host;
  if (chosen_port != 0) uri += ":" + std::to_string(chosen_port);
  return uri;
}

bool ParseAdsPath(std::u16string_view path, AdsPath* parsed) {
  std::string text;
  if (!Utf8FromOle(path, &text)) return false;
  if (text.compare(0, kScheme.size(), kScheme) != 0) return false;
  std::string_view rest = std::string_view(text).substr(kScheme.size());

  AdsPath result;
  size_t separator = FindComponentSeparator(rest);
  if (separator != std::string_view::npos) {
    if (!ParseServer(rest.substr(0, separator), &result)) return false;
    rest = rest.substr(separator + 1);
  }
  if (SameIgnoringAsciiCase(rest, "rootDSE")) {
    result.root_dse = true;
  } else if (!ConvertDn(rest, &result.dn)) {
    return false;
  }
  *parsed = std::move(result);
  return true;
}
