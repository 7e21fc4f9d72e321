#include "controller_location.h"

#include <ldap.h>

#include <algorithm>

#include "kerberos_ticket.h"
#include "system/ascii_text.h"

HRESULT LocatorDomain(bool ticket_needed, std::string* domain) {
  std::string realm;
  if (!TicketRealm(&realm)) {
    if (ticket_needed) return HRESULT_FROM_WIN32(ERROR_DS_LOCAL_ERROR);
    if (!DefaultRealm(&realm)) return HRESULT_FROM_WIN32(ERROR_NO_SUCH_DOMAIN);
  }
  std::transform(realm.begin(), realm.end(), realm.begin(), AsciiLower);
  *domain = std::move(realm);
  return S_OK;
}

HRESULT LocateLdapHosts(const std::string& role, const std::string& domain,
                        std::vector<std::string>* hosts) {
  // libldap asks for _ldap._tcp.<name> and orders the answer as RFC 2782 says.
  char* list = nullptr;
  const std::string name = role + "._msdcs." + domain;
  if (ldap_domain2hostlist(name.c_str(), &list) != LDAP_SUCCESS || list == nullptr) {
    return HRESULT_FROM_WIN32(ERROR_NO_SUCH_DOMAIN);
  }
  const std::string text = list;
  ldap_memfree(list);
  hosts->clear();
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) hosts->push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return hosts->empty() ? HRESULT_FROM_WIN32(ERROR_NO_SUCH_DOMAIN) : S_OK;
}

HRESULT LocateDomainControllers(bool ticket_needed, std::vector<std::string>* uris) {
  std::string domain;
  HRESULT result = LocatorDomain(ticket_needed, &domain);
  if (SUCCEEDED(result)) result = LocateLdapHosts("dc", domain, uris);
  if (FAILED(result)) return result;
  for (std::string& host : *uris) host.insert(0, "ldap://");
  return S_OK;
}
