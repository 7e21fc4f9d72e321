// Completing the fragment's path with the folder it is relative to.
#pragma once

#include <objbase.h>

// A new BSTR: the folder part of program_path (up to and including its last separator) followed
// by source, or, when the program path names no folder, the current directory, a separator and
// source. Null when the result cannot be allocated (the caller keeps source as it is). Raises a
// failure when the current directory cannot be read.
BSTR CompleteSourcePath(const char* program_path, BSTR source);
