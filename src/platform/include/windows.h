// The Windows interfaces regweave calls, implemented for Linux by src/platform.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "winnls.h"
#include "winreg.h"
