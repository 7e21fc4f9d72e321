// File sharing flags of the C run-time's _fsopen, and _fsopen itself (on Windows it is declared
// by <stdio.h>).
#pragma once

#include <cstdio>

#define _SH_DENYRW 0x10
#define _SH_DENYWR 0x20
#define _SH_DENYRD 0x30
#define _SH_DENYNO 0x40

// Opens a stream as fopen does and holds it against other openers as shflag asks. Linux has no
// mandatory sharing modes: _SH_DENYWR takes a shared flock() lock and _SH_DENYRW an exclusive one,
// which keep out every writer that takes flock()'s exclusive lock before writing, but not one that
// ignores locks; on a file system without locks the stream is given unshared. A file
// already locked against the request fails with ERROR_SHARING_VIOLATION, as Windows reports it;
// every failure sets errno and the last error.
FILE* _fsopen(const char* filename, const char* mode, int shflag);
