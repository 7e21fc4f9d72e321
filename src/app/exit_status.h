// The process exit status that reports an HRESULT.
#pragma once

#include <windows.h>

// Windows keeps the whole 32-bit HRESULT. A Linux status keeps only its low 8 bits, so there it
// is the low byte, and 1 when that byte is 0 for a non-zero HRESULT (0x80040200 would otherwise
// exit 0, a failure reported as success).
int ExitStatusFor(HRESULT hr);
