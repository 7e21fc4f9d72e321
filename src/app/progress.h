// The progress lines printed before a run starts, and the flush of what is printed.
#pragma once

#include <objbase.h>

// Prints "Processing..." and the policy's name and the fragment's path, both converted to the
// ANSI code page; a null string prints as "(null)".
void PrintProgress(BSTR target, BSTR source);

// The directory and SYSVOL clients may fork helper processes (Samba's database library does, to
// test its locks). Output still buffered at that point could be written a second time by such a
// child, so it is written out before each step that reaches them.
void FlushOutput();
