// Locating a domain controller for a serverless path, as Windows locates one of the logged-on
// user's domain: from the DNS SRV records of the domain the Kerberos ticket belongs to.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

// The URIs ("ldap://host:port") of the controllers of the ticket's realm, lower-cased as the DNS
// domain (the configured default realm when no ticket says, unless ticket_needed), from
// _ldap._tcp.dc._msdcs.<domain> in RFC 2782 order: by priority, and by weight at random within
// one priority. Without a ticket where one is needed, the bind's own failure
// (HRESULT_FROM_WIN32(ERROR_DS_LOCAL_ERROR)) before anything is asked of DNS; no realm or no
// records give HRESULT_FROM_WIN32(ERROR_NO_SUCH_DOMAIN).
HRESULT LocateDomainControllers(bool ticket_needed, std::vector<std::string>* uris);
