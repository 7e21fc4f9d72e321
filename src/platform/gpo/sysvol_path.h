// Where a policy's files live: gPCFileSysPath ("\\<domain>\sysvol\<domain>\Policies\{GUID}")
// turned into an smb:// URL on a named domain controller. Kerberos needs a host name with a
// service principal, and the bare domain name of the UNC path has none.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

// The URL of the folder the UNC path names, on host instead of the UNC path's own server.
// Each component is percent-encoded for libsmbclient's URL parser. A path with fewer than a
// server and a share, an empty component, or a "." or ".." component is refused with
// HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME): the container's text decides where we write.
HRESULT SysvolFolderUrl(std::string_view unc_path, std::string_view host, std::string* url);

// url followed by "/" and the percent-encoded name.
std::string ChildUrl(std::string_view url, std::string_view name);
