#include "ldap_connection.h"

#include <sasl/sasl.h>

#include <cstring>
#include <map>
#include <mutex>

#include "directory_entry.h"
#include "ldap_error.h"

namespace {

// Long enough for a slow server, short enough that an unreachable one is reported rather
// than waited for without end.
constexpr timeval kConnectTimeout = {10, 0};
constexpr timeval kOperationTimeout = {60, 0};

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

void SetOptions(LDAP* ldap) {
  int version = LDAP_VERSION3;
  ldap_set_option(ldap, LDAP_OPT_PROTOCOL_VERSION, &version);
  // Referrals would be followed with an anonymous bind; the search skips them instead.
  ldap_set_option(ldap, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  ldap_set_option(ldap, LDAP_OPT_RESTART, LDAP_OPT_ON);
  ldap_set_option(ldap, LDAP_OPT_NETWORK_TIMEOUT, &kConnectTimeout);
  ldap_set_option(ldap, LDAP_OPT_TIMEOUT, &kOperationTimeout);
}

int BindWithSasl(LDAP* ldap) {
  char* configured = nullptr;
  ldap_get_option(ldap, LDAP_OPT_X_SASL_MECH, &configured);
  std::string mechanism = configured != nullptr ? configured : "GSSAPI";
  ldap_memfree(configured);
  return ldap_sasl_interactive_bind_s(ldap, nullptr, mechanism.c_str(), nullptr, nullptr,
                                      LDAP_SASL_QUIET, AnswerSasl, nullptr);
}

// The first host the connection's URI names, without port: "ldap://dc1:389 ldap://dc2" gives
// "dc1".
std::string HostOfUri(LDAP* ldap) {
  char* uri = nullptr;
  ldap_get_option(ldap, LDAP_OPT_URI, &uri);
  std::string text = uri != nullptr ? uri : "";
  ldap_memfree(uri);
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

struct ConnectionTable {
  std::mutex lock;
  std::map<std::string, std::shared_ptr<LdapConnection>> by_server;
};

ConnectionTable& Connections() {
  static ConnectionTable table;
  return table;
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

HRESULT LdapConnection::Connect(const std::string& server_uri,
                                std::shared_ptr<LdapConnection>* connection) {
  LDAP* ldap = nullptr;
  int result = ldap_initialize(&ldap, server_uri.empty() ? nullptr : server_uri.c_str());
  if (result != LDAP_SUCCESS) return HresultFromLdapResult(result);
  std::shared_ptr<LdapConnection> made(new LdapConnection(ldap));
  SetOptions(ldap);
  result = BindWithSasl(ldap);
  if (result != LDAP_SUCCESS) return HresultFromLdapResult(result);
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

HRESULT LdapConnection::Check(int ldap_result) {
  if (ldap_result == LDAP_SERVER_DOWN || ldap_result == LDAP_CONNECT_ERROR) lost_ = true;
  return HresultFromLdapResult(ldap_result);
}
