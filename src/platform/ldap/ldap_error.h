// The HRESULT that ADSI reports for an LDAP result code: HRESULT_FROM_WIN32 of the Win32 code
// its documentation pairs with that result (mostly ERROR_DS_*).
#pragma once

#include <windows.h>

HRESULT HresultFromLdapResult(int ldap_result);
