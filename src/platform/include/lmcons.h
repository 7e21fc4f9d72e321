// The network management functions' common types.
#pragma once

#include "windows.h"

typedef DWORD NET_API_STATUS;

#define NERR_Success 0
