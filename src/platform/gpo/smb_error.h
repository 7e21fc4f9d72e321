// The HRESULT for a failed libsmbclient call, from the errno it left.
#pragma once

#include <windows.h>

// Network failures (the domain controller unreachable, the share missing) get the Win32 codes
// Windows reports for a UNC path; file failures the codes of the same errno on a local disk.
HRESULT HresultFromSmbErrno(int error);

// The HRESULT for the libsmbclient call that just failed, from errno.
HRESULT LastSmbError();
