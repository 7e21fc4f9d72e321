// FindPolicyByDisplayName: the directory search that finds a group policy object by its display
// name and opens it.
#pragma once

#include <memory>

#include <windows.h>
#include <objbase.h>
#include <activeds.h>

#include "policy/policy_object.h"

// Binds to the directory object at an LDAP path (ADsGetObject's shape). Tests hand in a fake.
typedef HRESULT(WINAPI* DirectoryBinder)(LPCWSTR path, REFIID riid, void** object);

// Searches the domain's naming context on DirectoryServer (or the platform's choice of server)
// for the group policy container of exactly this display name and opens the first one the
// directory returns; null when none matched. Raises an HresultError or a _com_error on failure,
// having released everything it held.
std::unique_ptr<PolicyObject> FindPolicyByDisplayName(BSTR display_name,
                                                      DirectoryBinder bind = ADsGetObject);
