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

  // "ldap://host[:port]", or empty for the configured server.
  std::string ServerUri() const;
};

// False when the path has none of those forms or its DN is malformed (E_ADS_BAD_PATHNAME).
bool ParseAdsPath(std::u16string_view path, AdsPath* parsed);
