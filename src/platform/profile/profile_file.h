// Opens a profile file by path and reads it whole as text in the ANSI code page, keeping it open
// with the identity that tells whether the file has changed since.
#pragma once

#include <cstdint>

#include <windef.h>

#include "text_buffer.h"

// What a changed file is recognised by: a different file at the path, another size, link count,
// or modification or status-change time (the status-change time moves even when a writer
// restores the modification time, and when the file loses a link by being removed or replaced).
struct ProfileFileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t links = 0;
  int64_t size = 0;
  int64_t modified_ns = 0;
  int64_t changed_ns = 0;

  bool operator==(const ProfileFileIdentity& other) const;
};

// A profile file held open after it was read, with its identity as it was read.
class HeldProfileFile {
 public:
  HeldProfileFile() = default;
  explicit HeldProfileFile(int fd) : fd_(fd) {}
  HeldProfileFile(HeldProfileFile&& other) noexcept;
  HeldProfileFile& operator=(HeldProfileFile&& other) noexcept;
  HeldProfileFile(const HeldProfileFile&) = delete;
  HeldProfileFile& operator=(const HeldProfileFile&) = delete;
  ~HeldProfileFile();

  int fd() const { return fd_; }
  const ProfileFileIdentity& identity() const { return identity_; }

  // Takes the open file's present identity as the one it is read with. False with a Win32 code
  // when it is no regular file.
  bool TakeIdentity(DWORD* error);

  // Whether the file is as it was read, told by the open file's status: a file rewritten,
  // truncated, removed or replaced at its name has changed. A path that comes to lead elsewhere
  // through a renamed folder or a changed symbolic link is not looked up again.
  bool Unchanged() const;

 private:
  int fd_ = -1;
  ProfileFileIdentity identity_;
};

// Reads the regular file at path, converting it to code_page as ProfileDecoder does, and holds it
// open in *held. False with a Win32 code when path names no readable regular file.
bool ReadProfileFile(const char* path, UINT code_page, TextBuffer* text, HeldProfileFile* held,
                     DWORD* error);
