// DsGetDcNameA over the DNS SRV records of the user's domain.
#include "domain_controller_locator.h"

#include <arpa/inet.h>
#include <ldap.h>
#include <netdb.h>

#include <cstring>

#include <lmapibuf.h>

#include "controller_location.h"
#include "ldap_connection.h"
#include "system/guarded.h"

namespace {

std::string NameOfHost(const std::string& host_port) {
  const size_t colon = host_port.rfind(':');
  return colon == std::string::npos ? host_port : host_port.substr(0, colon);
}

// The host's first IPv4 address, else its first IPv6 one; empty when the name does not resolve.
std::string AddressOf(const std::string& name) {
  addrinfo hints = {};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) return std::string();
  const addrinfo* chosen = found;
  for (const addrinfo* each = found; each != nullptr; each = each->ai_next) {
    if (each->ai_family == AF_INET) {
      chosen = each;
      break;
    }
  }
  char text[NI_MAXHOST] = {};
  const bool named = getnameinfo(chosen->ai_addr, chosen->ai_addrlen, text, sizeof text, nullptr, 0,
                                 NI_NUMERICHOST) == 0;
  freeaddrinfo(found);
  return named ? text : std::string();
}

// One block holds the structure and its texts, as NetApiBufferFree frees it whole.
DWORD Describe(const std::string& name, const std::string& address, const std::string& domain,
               bool pdc, PDOMAIN_CONTROLLER_INFOA* info) {
  const std::string texts[] = {"\\\\" + name, "\\\\" + address, domain};
  size_t size = sizeof(DOMAIN_CONTROLLER_INFOA);
  for (const std::string& text : texts) size += text.size() + 1;
  void* block = nullptr;
  const DWORD status = NetApiBufferAllocate(static_cast<DWORD>(size), &block);
  if (status != NERR_Success) return status;
  auto* described = static_cast<DOMAIN_CONTROLLER_INFOA*>(block);
  char* next = reinterpret_cast<char*>(described + 1);
  LPSTR* fields[] = {&described->DomainControllerName, &described->DomainControllerAddress,
                     &described->DomainName};
  for (size_t i = 0; i < 3; ++i) {
    *fields[i] = next;
    std::memcpy(next, texts[i].c_str(), texts[i].size() + 1);
    next += texts[i].size() + 1;
  }
  described->DnsForestName = described->DomainName;
  described->DomainControllerAddressType = DS_INET_ADDRESS;
  described->Flags = DS_DNS_CONTROLLER_FLAG | DS_DNS_DOMAIN_FLAG | (pdc ? DS_PDC_FLAG : 0);
  *info = described;
  return ERROR_SUCCESS;
}

// The host the LDAP client configuration's first URI names, as a path names it (an IPv6
// address in brackets); empty when it names none.
std::string ConfiguredHost() {
  const std::string uri = LdapConnection::ConfiguredUri();
  LDAPURLDesc* url = nullptr;
  std::string host;
  if (!uri.empty() && ldap_url_parse(uri.c_str(), &url) == LDAP_URL_SUCCESS) {
    if (url->lud_host != nullptr) host = url->lud_host;
    ldap_free_urldesc(url);
  }
  return host.find(':') == std::string::npos ? host : "[" + host + "]";
}

DWORD LocateController(LPCSTR domain_name, ULONG flags, PDOMAIN_CONTROLLER_INFOA* info) {
  std::string domain;
  const bool known_domain = domain_name != nullptr || SUCCEEDED(LocatorDomain(false, &domain));
  if (domain_name != nullptr) domain = domain_name;
  // A server the configuration names is where every serverless request goes: it stands for
  // every kind of controller, so that naming one there keeps the choice.
  const std::string configured = ConfiguredHost();
  if (!configured.empty()) {
    const std::string address = AddressOf(configured);
    return Describe(configured, address.empty() ? configured : address, domain, false, info);
  }
  if (!known_domain) return ERROR_NO_SUCH_DOMAIN;
  const bool pdc = (flags & DS_PDC_REQUIRED) != 0;
  std::vector<std::string> hosts;
  if (FAILED(LocateLdapHosts(pdc ? "pdc" : "dc", domain, &hosts))) return ERROR_NO_SUCH_DOMAIN;
  return DescribeFirstResolvable(hosts, domain, pdc, info);
}

}  // namespace

DWORD DescribeFirstResolvable(const std::vector<std::string>& hosts, const std::string& domain,
                              bool pdc, PDOMAIN_CONTROLLER_INFOA* info) {
  for (const std::string& host : hosts) {
    const std::string name = NameOfHost(host);
    const std::string address = AddressOf(name);
    if (!address.empty()) return Describe(name, address, domain, pdc, info);
  }
  return ERROR_NO_SUCH_DOMAIN;
}

DWORD WINAPI DsGetDcNameA(LPCSTR ComputerName, LPCSTR DomainName, GUID*, LPCSTR, ULONG Flags,
                          PDOMAIN_CONTROLLER_INFOA* DomainControllerInfo) {
  return GuardedStatus([&]() -> DWORD {
    if (DomainControllerInfo == nullptr) return ERROR_INVALID_PARAMETER;
    *DomainControllerInfo = nullptr;
    // Only this computer's own view is implemented.
    if (ComputerName != nullptr) return ERROR_NOT_SUPPORTED;
    return LocateController(DomainName, Flags, DomainControllerInfo);
  });
}
