// GPT.INI, the file-system half of a policy's version: reading Version from [General] and
// rewriting it while every other line of the file stays byte for byte as it was.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

// The policy's file-system version. Section and key names compare without case; blanks around
// '=' and the line are ignored; CR, LF and CRLF all end a line. A missing Version, or one that
// is not a 32-bit number, reads as 0: the container's versionNumber still gives the floor the
// next version is raised from, and the rewrite replaces only that value. Several Version keys
// read as the largest, so the next version moves past all of them. Text starting with a UTF-16
// byte-order mark is refused with HRESULT_FROM_WIN32(ERROR_INVALID_DATA): the file is ANSI by
// definition, and rewriting UTF-16 byte by byte would corrupt it.
HRESULT ReadGptIniVersion(std::string_view text, DWORD* version);

// The text with every Version value in [General] replaced by version, or, when there is none,
// a Version line added under the first [General] header (or a [General] section appended).
// New lines end as the file's first line does (CRLF for a file without one). Expects text that
// ReadGptIniVersion accepted.
std::string RewriteGptIniVersion(std::string_view text, DWORD version);
