// Maps a C library errno value to the Win32 error code Windows reports for the same failure.
#pragma once

#include <windef.h>

DWORD Win32ErrorFromErrno(int error);
