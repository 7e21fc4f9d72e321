// A bound LDAP connection to one directory server, kept for the whole process and shared by
// every ADSI object on that server and by the group policy object class.
#pragma once

#include <ldap.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "directory_entry.h"

class PagedSearch;

class LdapConnection {
 public:
  // The connection to the server ("ldap[s]://host[:port]", or empty for the one the LDAP
  // client configuration names or, when it names none, a located controller of the user's
  // domain: LocateDomainControllers, the first that answers), connected and bound on first
  // use, and again after the server was lost. Binds with SASL, the mechanism the configuration
  // names or GSSAPI (the user's Kerberos ticket); a mechanism that asks for a password is
  // refused, never prompted for. A service principal the KDC does not know gives
  // SEC_E_TARGET_UNKNOWN, a TLS server whose certificate is not trusted (its authority, or the
  // name it is issued to) SEC_E_UNTRUSTED_ROOT. connected_now, when given, tells whether this call
  // made the connection.
  static HRESULT Get(const std::string& server_uri, std::shared_ptr<LdapConnection>* connection,
                     bool* connected_now = nullptr);

  // The first URI the LDAP client configuration names; empty when it names none.
  static std::string ConfiguredUri();

  ~LdapConnection();
  LdapConnection(const LdapConnection&) = delete;
  LdapConnection& operator=(const LdapConnection&) = delete;

  LDAP* handle() const { return ldap_; }
  // The DNS name of the domain controller the connection is bound to (the root DSE's
  // dnsHostName), for reaching its other services, such as SYSVOL, on the same machine.
  const std::string& host() const { return host_; }
  // The root DSE as read when the connection was made (every attribute it hands out, and
  // dnsHostName), for the bind that made the connection; null when that read failed.
  const DirectoryEntry* root_dse() const { return root_dse_ ? &*root_dse_ : nullptr; }

  // Searches open on this connection, so that an object one of them has fetched can be opened
  // without reading it again: a PagedSearch is added as it starts and removed as it goes.
  void AddOpenSearch(const PagedSearch* search);
  void RemoveOpenSearch(const PagedSearch* search);
  // A copy of the entry at dn (compared without case) as an open search fetched it with every
  // one of names asked for; false when no open search holds such an entry.
  bool FindFetched(std::string_view dn, const std::vector<std::string_view>& names,
                   DirectoryEntry* entry) const;

  // The HRESULT for the result of an operation on this connection. A result that means the
  // server is gone makes the next Get connect afresh.
  HRESULT Check(int ldap_result);

 private:
  explicit LdapConnection(LDAP* ldap) : ldap_(ldap) {}
  static HRESULT Connect(const std::string& server_uri,
                         std::shared_ptr<LdapConnection>* connection);
  // located: a controller that does not answer soon, so that the next one can be tried.
  static HRESULT ConnectTo(const std::string& server_uri, bool located,
                           std::shared_ptr<LdapConnection>* connection);
  void ReadRootDse();

  LDAP* ldap_;
  std::string host_;
  std::optional<DirectoryEntry> root_dse_;  // empty when the read failed
  std::atomic<bool> lost_{false};
  mutable std::mutex searches_lock_;
  std::vector<const PagedSearch*> open_searches_;
};
