// ADSI helper functions: binding to a directory object by its ADsPath.
#pragma once

#include "objbase.h"

// Binds to "LDAP://rootDSE", "LDAP://<DN>", "LDAP://<server>[:port]/rootDSE" or
// "LDAP://<server>[:port]/<DN>" and returns the interface asked for.
HRESULT WINAPI ADsGetObject(LPCWSTR lpszPathName, REFIID riid, VOID** ppObject);
