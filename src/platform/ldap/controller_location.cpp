#include "controller_location.h"

#include <ldap.h>

#include <algorithm>

#include "kerberos_ticket.h"
#include "system/ascii_text.h"

namespace {

std::string DnsDomainOfRealm(std::string realm) {
  std::transform(realm.begin(), realm.end(), realm.begin(), AsciiLower);
  return realm;
}

}  // namespace

HRESULT LocateDomainControllers(bool ticket_needed, std::vector<std::string>* uris) {
  std::string realm;
  if (!TicketRealm(&realm)) {
    if (ticket_needed) return HRESULT_FROM_WIN32(ERROR_DS_LOCAL_ERROR);
    if (!DefaultRealm(&realm)) return HRESULT_FROM_WIN32(ERROR_NO_SUCH_DOMAIN);
  }
  // libldap asks for _ldap._tcp.<name> and orders the answer as RFC 2782 says.
  char* hosts = nullptr;
  const std::string name = "dc._msdcs." + DnsDomainOfRealm(realm);
  if (ldap_domain2hostlist(name.c_str(), &hosts) != LDAP_SUCCESS || hosts == nullptr) {
    return HRESULT_FROM_WIN32(ERROR_NO_SUCH_DOMAIN);
  }
  std::string list = hosts;
  ldap_memfree(hosts);
  uris->clear();
  for (size_t start = 0; start < list.size();) {
    size_t end = list.find(' ', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) uris->push_back("ldap://" + list.substr(start, end - start));
    start = end + 1;
  }
  return uris->empty() ? HRESULT_FROM_WIN32(ERROR_NO_SUCH_DOMAIN) : S_OK;
}
