// The code pages this platform converts: which one the process locale selects, how each number
// resolves to a converter, and which bytes lead a double-byte character.
#pragma once

#include <windef.h>

// How text of one code page is converted to and from UTF-16.
struct CodePageCodec {
  UINT number;          // the Windows number; 0 for a locale codeset Windows has no number for
  const char* codeset;  // the iconv name; null for UTF-8, which is converted natively
};

// Resolves a code page number, CP_ACP, CP_OEMCP and CP_THREAD_ACP included (all three are the
// process locale's codeset here). False for a number this platform does not convert.
bool ResolveCodePage(UINT code_page, CodePageCodec* codec);
