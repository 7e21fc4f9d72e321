// Buffers the network management functions hand out.
#pragma once

#include "lmcons.h"

NET_API_STATUS WINAPI NetApiBufferAllocate(DWORD ByteCount, LPVOID* Buffer);
NET_API_STATUS WINAPI NetApiBufferFree(LPVOID Buffer);
