// Locating a domain controller for a serverless path, as Windows locates one of the logged-on
// user's domain: from the DNS SRV records of the domain the Kerberos ticket belongs to.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

// The DNS domain of the ticket's realm, lower-cased (the configured default realm when no
// ticket says, unless ticket_needed). Without a ticket where one is needed, the bind's own
// failure (HRESULT_FROM_WIN32(ERROR_DS_LOCAL_ERROR)); no realm gives
// HRESULT_FROM_WIN32(ERROR_NO_SUCH_DOMAIN).
HRESULT LocatorDomain(bool ticket_needed, std::string* domain);

// The "host:port" of each _ldap._tcp.<role>._msdcs.<domain> record (role "dc" or "pdc") in
// RFC 2782 order: by priority, and by weight at random within one priority. No records give
// HRESULT_FROM_WIN32(ERROR_NO_SUCH_DOMAIN).
HRESULT LocateLdapHosts(const std::string& role, const std::string& domain,
                        std::vector<std::string>* hosts);

// The URIs ("ldap://host:port") of the controllers of LocatorDomain's domain, with its
// failures.
HRESULT LocateDomainControllers(bool ticket_needed, std::vector<std::string>* uris);
