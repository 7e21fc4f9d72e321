// Opens a profile file by path and reads it whole as text in the ANSI code page, together with
// the identity that tells whether the file has changed since.
#pragma once

#include <cstdint>

#include <windef.h>

#include "text_buffer.h"

// What a changed file is recognised by: a different file at the path, another size, or another
// modification or status-change time (the status-change time moves even when a writer restores
// the modification time).
struct ProfileFileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modified_ns = 0;
  int64_t changed_ns = 0;

  bool operator==(const ProfileFileIdentity& other) const;
};

// False with a Win32 code when path names no readable regular file.
bool StatProfileFile(const char* path, ProfileFileIdentity* identity, DWORD* error);

// Reads the file at path, converting it to code_page as ProfileDecoder does. identity is the
// file's as it was opened.
bool ReadProfileFile(const char* path, UINT code_page, TextBuffer* text,
                     ProfileFileIdentity* identity, DWORD* error);
