// An LDAP ADsPath taken apart: "LDAP://" [server "/"] ("rootDSE" | distinguished name), the
// server being a host name or address with an optional ":port".
#pragma once

#include <string>
#include <string_view>

struct AdsPath {
  // Host name (lower case), IPv4 address or bracketed IPv6 address; empty when the LDAP client
  // configuration chooses the server.
  std::string host;
  int port = 0;  // 0: the scheme's default
  bool root_dse = false;
  // The object's DN in LDAP's string form: the ADsPath escape "\/" becomes "/", every other
  // escape is LDAP's own and stays. Empty for the root DSE.
  std::string dn;

  // "ldap://host[:port]" ("ldaps://" on port 636), or empty for the configured server. A host
  // without a port takes the scheme and port of configured_uri (the LDAP client
  // configuration's URI), so that a configuration of ldaps:// is kept for a server named here.
  std::string ServerUri(std::string_view configured_uri) const;
};

// False when the path has none of those forms or its DN is malformed (E_ADS_BAD_PATHNAME).
bool ParseAdsPath(std::u16string_view path, AdsPath* parsed);
