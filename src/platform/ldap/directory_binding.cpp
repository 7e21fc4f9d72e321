#include "directory_binding.h"

#include <activeds.h>

#include <algorithm>
#include <string>

#include "ads_path.h"
#include "directory_entry.h"
#include "system/ascii_text.h"

namespace {

// The naming contexts the server listed in its root DSE exist; binding one needs no read.
bool ListedNamingContext(const LdapConnection& connection, const std::string& dn) {
  const DirectoryEntry* root = connection.root_dse();
  const DirectoryAttribute* contexts = root != nullptr ? root->Find("namingContexts") : nullptr;
  return contexts != nullptr &&
         std::any_of(contexts->values.begin(), contexts->values.end(),
                     [&](const std::string& listed) { return SameIgnoringAsciiCase(listed, dn); });
}

}  // namespace

HRESULT BindDirectoryPath(const OLECHAR* ads_path, DirectoryBinding* binding) {
  AdsPath path;
  if (ads_path == nullptr || !ParseAdsPath(ads_path, &path)) return E_ADS_BAD_PATHNAME;
  char no_attributes[] = LDAP_NO_ATTRS;
  char* attributes[] = {no_attributes, nullptr};
  // A kept connection may have lost its server since; one fresh attempt tells that apart
  // from a server that is down now.
  HRESULT hr = S_OK;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::shared_ptr<LdapConnection> connection;
    bool connected_now = false;
    hr = LdapConnection::Get(path.ServerUri(LdapConnection::ConfiguredUri()), &connection,
                             &connected_now);
    if (FAILED(hr)) return hr;
    // A connection made just now has read the root DSE: it exists, and the server answers.
    // The naming contexts it lists exist too; a server lost since shows at the first request.
    const bool root_dse_known =
        path.dn.empty() && connected_now && connection->root_dse() != nullptr;
    DirectoryEntry entry;
    if (!root_dse_known && !ListedNamingContext(*connection, path.dn)) {
      hr = connection->Check(ReadEntry(connection->handle(), path.dn, attributes, &entry));
    }
    if (SUCCEEDED(hr)) {
      if (root_dse_known) binding->entry = *connection->root_dse();
      binding->connection = std::move(connection);
      binding->dn = std::move(path.dn);
      return S_OK;
    }
    if (hr != HRESULT_FROM_WIN32(ERROR_DS_SERVER_DOWN)) break;
  }
  return hr;
}
