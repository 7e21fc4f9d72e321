// A policy's version: the user half in the high 16 bits, the machine half in the low 16 bits,
// kept twice (GPT.INI's Version and the container's versionNumber) and raised on every save.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

// The version to store in both places after a change to one half. Clients cache either value,
// so each half is compared on its own: the changed half becomes one more than the larger of
// the two same halves, the other half keeps the larger of its two, and a changed half that
// wraps to 0 becomes 1 (0 would read as "no settings"). Comparing the whole 32-bit values
// instead could pick the value whose other half is behind.
DWORD RaisePolicyVersion(DWORD file_version, DWORD container_version, bool machine);

// versionNumber as the directory holds it: a signed 32-bit integer in decimal, so a user half
// of 0x8000 or more reads as negative. Text that is no such number is refused.
bool ParseContainerVersion(std::string_view text, DWORD* version);
std::string FormatContainerVersion(DWORD version);
