#include "kerberos_ticket.h"

#include <krb5.h>

namespace {

// A library context with the default cache, both released at the end of the scope.
class KerberosCache {
 public:
  KerberosCache() {
    if (krb5_init_context(&context_) != 0) {
      context_ = nullptr;
      return;
    }
    if (krb5_cc_default(context_, &cache_) != 0) cache_ = nullptr;
  }
  ~KerberosCache() {
    if (cache_ != nullptr) krb5_cc_close(context_, cache_);
    if (context_ != nullptr) krb5_free_context(context_);
  }
  KerberosCache(const KerberosCache&) = delete;
  KerberosCache& operator=(const KerberosCache&) = delete;

  krb5_context context() const { return context_; }
  krb5_ccache cache() const { return cache_; }

 private:
  krb5_context context_ = nullptr;
  krb5_ccache cache_ = nullptr;
};

}  // namespace

bool TicketRealm(std::string* realm) {
  KerberosCache kerberos;
  krb5_principal client = nullptr;
  if (kerberos.cache() == nullptr ||
      krb5_cc_get_principal(kerberos.context(), kerberos.cache(), &client) != 0) {
    return false;
  }
  realm->assign(client->realm.data, client->realm.length);
  krb5_free_principal(kerberos.context(), client);
  return !realm->empty();
}

bool DefaultRealm(std::string* realm) {
  KerberosCache kerberos;
  char* configured = nullptr;
  if (kerberos.context() == nullptr ||
      krb5_get_default_realm(kerberos.context(), &configured) != 0) {
    return false;
  }
  realm->assign(configured);
  krb5_free_default_realm(kerberos.context(), configured);
  return !realm->empty();
}

bool LdapServiceUnknownToKdc(const std::string& host) {
  KerberosCache kerberos;
  krb5_context context = kerberos.context();
  if (kerberos.cache() == nullptr) return false;
  krb5_creds wanted = {};
  if (krb5_cc_get_principal(context, kerberos.cache(), &wanted.client) != 0) return false;
  krb5_error_code answer =
      krb5_sname_to_principal(context, host.c_str(), "ldap", KRB5_NT_SRV_HST, &wanted.server);
  if (answer == 0) {
    krb5_creds* got = nullptr;
    answer = krb5_get_credentials(context, 0, kerberos.cache(), &wanted, &got);
    if (got != nullptr) krb5_free_creds(context, got);
  }
  krb5_free_cred_contents(context, &wanted);
  return answer == KRB5KDC_ERR_S_PRINCIPAL_UNKNOWN;
}
