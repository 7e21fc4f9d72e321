// One open file on an SMB share, closed when the object goes: reads it whole, writes it, and
// rewrites it in place through the same handle.
#pragma once

#include <optional>
#include <string>

#include <windows.h>

struct _SMBCCTX;
struct _SMBCFILE;

class SmbFile {
 public:
  SmbFile(_SMBCCTX* context, _SMBCFILE* file) : context_(context), file_(file) {}
  ~SmbFile();
  SmbFile(const SmbFile&) = delete;
  SmbFile& operator=(const SmbFile&) = delete;

  // The file from the current position to its end.
  HRESULT ReadToEnd(std::string* contents);

  // Writes contents at the current position. When stop is given and answers true between two
  // pieces, the write ends there with HRESULT_FROM_WIN32(ERROR_CANCELLED).
  HRESULT Write(const std::string& contents, bool (*stop)() = nullptr);

  // Makes the file hold exactly contents: written from the start, then cut to their length.
  // The write goes first, so a failure or a crash between the two requests never leaves the
  // file shorter than the new text; only a shorter text can leave part of the old one behind
  // it. A text of up to 8 MiB is handed over in one write call, and no cut is asked for when the
  // file is known (read whole, or rewritten, through this handle) to be no longer than that.
  HRESULT Rewrite(const std::string& contents);

  // Closes the handle and reports what the server says, which includes errors of writes it
  // finished late.
  HRESULT Close();

 private:
  _SMBCCTX* context_;
  _SMBCFILE* file_;
  size_t position_ = 0;               // where the next read or write starts
  std::optional<size_t> known_size_;  // the file's length, once this handle has seen it
};
