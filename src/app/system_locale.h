// The ANSI code page the tool's 8-bit text is in.
#pragma once

// Windows has a system-wide ANSI code page. On Linux it is the code set of the user's locale
// (LANG, LC_CTYPE, LC_ALL), which a program only takes on when it asks for it.
void AdoptSystemCodePage();
