// The system message texts FormatMessageA gives: our own wording for the Win32 codes and
// HRESULTs this platform produces. The texts hold no inserts and no line break.
#pragma once

#include <windef.h>

// Null when the identifier has no text. A FACILITY_WIN32 HRESULT has its Win32 code's text.
const char* SystemMessageText(DWORD message_id);
