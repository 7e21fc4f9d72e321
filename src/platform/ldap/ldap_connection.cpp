#include "ldap_connection.h"

#include <sasl/sasl.h>

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "controller_location.h"
#include "directory_entry.h"
#include "kerberos_ticket.h"
#include "ldap_error.h"
#include "paged_search.h"
#include "system/ascii_text.h"

namespace {

// Long enough for a slow server, short enough that an unreachable one is reported rather
// than waited for without end.
constexpr timeval kConnectTimeout = {10, 0};
constexpr timeval kOperationTimeout = {60, 0};
// What a located controller that does not answer costs before the next one is tried: to take
// the connection, and to answer the bind.
constexpr timeval kLocatedConnectTimeout = {3, 0};
constexpr timeval kLocatedBindTimeout = {5, 0};

// What libldap reports as its URI when no configuration names one.
constexpr char kBuiltInUri[] = "ldap://localhost:389/??base";

// Answers the SASL mechanism's questions with its own defaults (the Kerberos principal for
// GSSAPI) and refuses to supply a password: none is ever taken from anywhere.
int AnswerSasl(LDAP*, unsigned, void*, void* questions) {
  for (auto* question = static_cast<sasl_interact_t*>(questions); question->id != SASL_CB_LIST_END;
       ++question) {
    if (question->id == SASL_CB_PASS || question->id == SASL_CB_ECHOPROMPT ||
        question->id == SASL_CB_NOECHOPROMPT) {
      return LDAP_INAPPROPRIATE_AUTH;
    }
    const char* answer = question->defresult != nullptr ? question->defresult : "";
    question->result = answer;
    question->len = static_cast<unsigned>(strlen(answer));
  }
  return LDAP_SUCCESS;
}

bool IsTlsUri(const std::string& uri) {
  return strncasecmp(uri.c_str(), "ldaps://", 8) == 0;
}

// Every option matters: without its timeouts an unreachable server could hold the run for
// ever, so one the library refuses fails the connection.
int SetOptions(LDAP* ldap, const timeval& connect_timeout, const timeval& bind_timeout, bool tls) {
  int version = LDAP_VERSION3;
  const struct {
    int option;
    const void* value;
  } options[] = {
      {LDAP_OPT_PROTOCOL_VERSION, &version},
      // Referrals would be followed with an anonymous bind; the search skips them instead.
      {LDAP_OPT_REFERRALS, LDAP_OPT_OFF},
      {LDAP_OPT_RESTART, LDAP_OPT_ON},
      {LDAP_OPT_NETWORK_TIMEOUT, &connect_timeout},
      {LDAP_OPT_TIMEOUT, &bind_timeout},
      // The Kerberos service name comes from the host name as given or located, as on
      // Windows, never from a reverse lookup of its address.
      {LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON},
      // Active Directory refuses a SASL security layer inside TLS.
      {tls ? LDAP_OPT_X_SASL_SECPROPS : 0, "maxssf=0"},
  };
  for (const auto& set : options) {
    if (set.option != 0 && ldap_set_option(ldap, set.option, set.value) != LDAP_OPT_SUCCESS) {
      return LDAP_PARAM_ERROR;
    }
  }
  return LDAP_SUCCESS;
}

// A text option of the handle (or, for none, of the configuration); fallback when unset.
std::string TextOption(LDAP* ldap, int option, const char* fallback) {
  char* value = nullptr;
  ldap_get_option(ldap, option, &value);
  // Freed also when the copy finds no memory.
  std::unique_ptr<char, void (*)(void*)> owned(value, ldap_memfree);
  return owned ? std::string(owned.get()) : std::string(fallback);
}

std::string ConfiguredMechanism(LDAP* ldap) {
  return TextOption(ldap, LDAP_OPT_X_SASL_MECH, "GSSAPI");
}

// Whether the configured mechanism is Kerberos, which binds only with a ticket. libldap
// hands out SASL settings only through a handle.
bool MechanismNeedsTicket() {
  LDAP* ldap = nullptr;
  if (ldap_initialize(&ldap, nullptr) != LDAP_SUCCESS) return true;
  const bool kerberos = SameIgnoringAsciiCase(ConfiguredMechanism(ldap), "GSSAPI");
  ldap_unbind_ext_s(ldap, nullptr, nullptr);
  return kerberos;
}

int BindWithSasl(LDAP* ldap) {
  return ldap_sasl_interactive_bind_s(ldap, nullptr, ConfiguredMechanism(ldap).c_str(), nullptr,
                                      nullptr, LDAP_SASL_QUIET, AnswerSasl, nullptr);
}

std::string UriOption(LDAP* ldap) {
  return TextOption(ldap, LDAP_OPT_URI, "");
}

// The first host the connection's URI names, without port: "ldap://dc1:389 ldap://dc2" gives
// "dc1".
std::string HostOfUri(LDAP* ldap) {
  std::string text = UriOption(ldap);
  LDAPURLDesc* url = nullptr;
  std::string host;
  if (ldap_url_parse(text.substr(0, text.find_first_of(" ,")).c_str(), &url) == LDAP_URL_SUCCESS) {
    if (url->lud_host != nullptr) host = url->lud_host;
    ldap_free_urldesc(url);
  }
  return host;
}

// The directory is not trusted to name a host that other services can safely be asked for.
bool IsHostName(const std::string& name) {
  if (name.empty() || name.size() > 255) return false;
  for (char c : name) {
    bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '-' || c == '.' || c == '_';
    if (!allowed) return false;
  }
  return true;
}

// Whether the server answers over TLS once its certificate goes unchecked. Nothing is sent
// on that connection; it only tells a certificate the client does not trust from a server
// that does not answer.
bool AnswersWithoutCertificateCheck(const std::string& server_uri, const timeval& timeout) {
  LDAP* probe = nullptr;
  if (ldap_initialize(&probe, server_uri.empty() ? nullptr : server_uri.c_str()) != LDAP_SUCCESS)
    return false;
  int never = LDAP_OPT_X_TLS_NEVER;
  int is_server = 0;
  const bool answers =
      ldap_set_option(probe, LDAP_OPT_NETWORK_TIMEOUT, &timeout) == LDAP_OPT_SUCCESS &&
      ldap_set_option(probe, LDAP_OPT_X_TLS_REQUIRE_CERT, &never) == LDAP_OPT_SUCCESS &&
      ldap_set_option(probe, LDAP_OPT_X_TLS_NEWCTX, &is_server) == LDAP_OPT_SUCCESS &&
      ldap_connect(probe) == LDAP_SUCCESS;
  ldap_unbind_ext_s(probe, nullptr, nullptr);
  return answers;
}

// The HRESULT of a failed bind, told apart from the failures it resembles: a service principal
// the KDC does not know from a missing ticket (both fail locally), an untrusted certificate
// from a server that does not answer.
HRESULT BindFailure(LDAP* ldap, int result, const std::string& server_uri, const timeval& timeout,
                    bool tls) {
  if (result == LDAP_LOCAL_ERROR && LdapServiceUnknownToKdc(HostOfUri(ldap))) {
    return SEC_E_TARGET_UNKNOWN;
  }
  if (tls && (result == LDAP_SERVER_DOWN || result == LDAP_CONNECT_ERROR) &&
      AnswersWithoutCertificateCheck(server_uri, timeout)) {
    return SEC_E_UNTRUSTED_ROOT;
  }
  return HresultFromLdapResult(result);
}

struct ConnectionTable {
  std::mutex lock;
  std::map<std::string, std::shared_ptr<LdapConnection>> by_server;
};

ConnectionTable& Connections() {
  static ConnectionTable table;
  return table;
}

// Failures of one located controller that the next may not have: it does not answer, or it
// is no controller the KDC knows.
bool TryTheNext(HRESULT result) {
  return result == HRESULT_FROM_WIN32(ERROR_DS_SERVER_DOWN) ||
         result == HRESULT_FROM_WIN32(ERROR_TIMEOUT) || result == SEC_E_TARGET_UNKNOWN;
}

}  // namespace

HRESULT LdapConnection::Get(const std::string& server_uri,
                            std::shared_ptr<LdapConnection>* connection, bool* connected_now) {
  ConnectionTable& table = Connections();
  std::lock_guard<std::mutex> guard(table.lock);
  std::shared_ptr<LdapConnection>& kept = table.by_server[server_uri];
  const bool connect = kept == nullptr || kept->lost_;
  if (connect) {
    kept.reset();
    HRESULT hr = Connect(server_uri, &kept);
    if (FAILED(hr)) return hr;
  }
  if (connected_now != nullptr) *connected_now = connect;
  *connection = kept;
  return S_OK;
}

std::string LdapConnection::ConfiguredUri() {
  std::string uris = UriOption(nullptr);
  if (uris == kBuiltInUri) return std::string();
  return uris.substr(0, uris.find_first_of(" ,"));
}

// The server named, else the configured one, else the located controllers one after the other
// until one answers.
HRESULT LdapConnection::Connect(const std::string& server_uri,
                                std::shared_ptr<LdapConnection>* connection) {
  if (!server_uri.empty()) return ConnectTo(server_uri, false, connection);
  if (!ConfiguredUri().empty()) return ConnectTo(std::string(), false, connection);
  std::vector<std::string> located;
  HRESULT result = LocateDomainControllers(MechanismNeedsTicket(), &located);
  for (const std::string& uri : located) {
    result = ConnectTo(uri, true, connection);
    if (!TryTheNext(result)) break;
  }
  return result;
}

// server_uri empty: the configured one (all of its URIs, which libldap tries in turn).
HRESULT LdapConnection::ConnectTo(const std::string& server_uri, bool located,
                                  std::shared_ptr<LdapConnection>* connection) {
  LDAP* ldap = nullptr;
  int result = ldap_initialize(&ldap, server_uri.empty() ? nullptr : server_uri.c_str());
  if (result != LDAP_SUCCESS) return HresultFromLdapResult(result);
  // The handle is owned from here on, also when there is no memory to hold it.
  LdapConnection* owner = new (std::nothrow) LdapConnection(ldap);
  if (owner == nullptr) {
    ldap_unbind_ext_s(ldap, nullptr, nullptr);
    return E_OUTOFMEMORY;
  }
  std::shared_ptr<LdapConnection> made(owner);
  const bool tls = IsTlsUri(server_uri.empty() ? ConfiguredUri() : server_uri);
  const timeval& connect_timeout = located ? kLocatedConnectTimeout : kConnectTimeout;
  result =
      SetOptions(ldap, connect_timeout, located ? kLocatedBindTimeout : kOperationTimeout, tls);
  if (result == LDAP_SUCCESS) result = BindWithSasl(ldap);
  if (result != LDAP_SUCCESS) return BindFailure(ldap, result, server_uri, connect_timeout, tls);
  if (ldap_set_option(ldap, LDAP_OPT_TIMEOUT, &kOperationTimeout) != LDAP_OPT_SUCCESS) {
    return HresultFromLdapResult(LDAP_PARAM_ERROR);
  }
  made->ReadRootDse();
  *connection = std::move(made);
  return S_OK;
}

// One request gives both what the root DSE object hands out (all its user attributes, as its
// own read would ask for) and the host name, which some servers send only when named.
void LdapConnection::ReadRootDse() {
  char all[] = LDAP_ALL_USER_ATTRIBUTES;
  char name[] = "dnsHostName";
  char* attributes[] = {all, name, nullptr};
  DirectoryEntry root;
  if (ReadEntry(ldap_, std::string(), attributes, &root) == LDAP_SUCCESS)
    root_dse_ = std::move(root);
  const DirectoryAttribute* found = root_dse_ ? root_dse_->Find(name) : nullptr;
  if (found != nullptr && found->values.size() == 1 && IsHostName(found->values[0])) {
    host_ = found->values[0];
  } else {
    host_ = HostOfUri(ldap_);
  }
}

LdapConnection::~LdapConnection() {
  ldap_unbind_ext_s(ldap_, nullptr, nullptr);
}

void LdapConnection::AddOpenSearch(const PagedSearch* search) {
  std::lock_guard<std::mutex> guard(searches_lock_);
  open_searches_.push_back(search);
}

void LdapConnection::RemoveOpenSearch(const PagedSearch* search) {
  std::lock_guard<std::mutex> guard(searches_lock_);
  open_searches_.erase(std::remove(open_searches_.begin(), open_searches_.end(), search),
                       open_searches_.end());
}

bool LdapConnection::FindFetched(std::string_view dn, const std::vector<std::string_view>& names,
                                 DirectoryEntry* entry) const {
  std::lock_guard<std::mutex> guard(searches_lock_);
  for (const PagedSearch* search : open_searches_) {
    const DirectoryEntry* fetched = search->Fetched(dn);
    if (fetched != nullptr && std::all_of(names.begin(), names.end(), [&](std::string_view name) {
          return search->Requested(name);
        })) {
      *entry = *fetched;
      return true;
    }
  }
  return false;
}

HRESULT LdapConnection::Check(int ldap_result) {
  if (ldap_result == LDAP_SERVER_DOWN || ldap_result == LDAP_CONNECT_ERROR) lost_ = true;
  return HresultFromLdapResult(ldap_result);
}
