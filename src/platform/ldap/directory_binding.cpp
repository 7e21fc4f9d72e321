#include "directory_binding.h"

#include <activeds.h>

#include <string>

#include "ads_path.h"
#include "directory_entry.h"

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
    hr = LdapConnection::Get(path.ServerUri(LdapConnection::ConfiguredUri()), &connection, &connected_now);
    if (FAILED(hr)) return hr;
    // A connection made just now has read the root DSE: it exists, and the server answers.
    const bool root_dse_known =
        path.dn.empty() && connected_now && connection->root_dse() != nullptr;
    DirectoryEntry entry;
    if (!root_dse_known) {
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
