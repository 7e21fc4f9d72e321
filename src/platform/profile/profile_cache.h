// Keeps the parsed form of the profile file read last, so that reading a file section by
// section parses it once; a changed file is parsed again.
#pragma once

#include <memory>

#include <windef.h>

#include "parsed_profile.h"

// The parsed file at path, or null with a Win32 code. Holds one parsed file at a time: asking
// for another path, or for a file that changed (HeldProfileFile::Unchanged), replaces it.
std::shared_ptr<const ParsedProfile> LoadProfile(const char* path, DWORD* error);
