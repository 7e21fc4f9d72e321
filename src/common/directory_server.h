// DirectoryServer: the directory server every LDAP path names; empty means the platform's choice.
#pragma once

#include "bstr.h"

extern UniqueBstr DirectoryServer;

// "LDAP://" followed by DirectoryServer and "/" when it is set; null when it cannot be allocated.
BSTR DirectoryBasePath();
