// The progress lines printed before the import run starts.
#pragma once

#include <objbase.h>

// Prints "Processing..." and the policy's name and the fragment's path, both converted to the
// ANSI code page; a null string prints as "(null)".
void PrintProgress(BSTR target, BSTR source);
