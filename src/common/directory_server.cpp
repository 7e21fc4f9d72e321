#include "directory_server.h"

UniqueBstr DirectoryServer;

BSTR DirectoryBasePath() {
  static const OLECHAR kScheme[] = OLESTR("LDAP://");
  if (DirectoryServer.empty()) return SysAllocString(kScheme);
  UniqueBstr scheme(SysAllocString(kScheme));
  if (scheme.get() == nullptr) return nullptr;
  UniqueBstr with_server(JoinBstr(scheme.get(), DirectoryServer.get()));
  if (with_server.get() == nullptr) return nullptr;
  return JoinBstr(with_server.get(), OLESTR("/"), 1);
}
