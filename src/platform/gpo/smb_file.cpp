#include "gpo/smb_file.h"

#include <algorithm>
#include <cerrno>

#include <libsmbclient.h>

#include "gpo/smb_error.h"

namespace {

// libsmbclient splits a read or write into requests of the size the server allows (Samba offers
// 8 MiB) and keeps several in flight, so large pieces cost few round trips. Reads start small, as
// most files read here are a few hundred bytes, and grow with what has come.
constexpr size_t kFirstReadPiece = 64 * 1024;
constexpr size_t kLargestPiece = 8 * 1024 * 1024;

}  // namespace

SmbFile::~SmbFile() {
  Close();
}

HRESULT SmbFile::ReadToEnd(std::string* contents) {
  std::string data;
  // libsmbclient reads on until the count or the end of the file, so a short read is the end
  // and needs no further request to confirm it.
  for (bool more = true; more;) {
    size_t piece = std::clamp(data.size(), kFirstReadPiece, kLargestPiece);
    size_t start = data.size();
    data.resize(start + piece);
    ssize_t got = smbc_getFunctionRead(context_)(context_, file_, data.data() + start, piece);
    if (got < 0) return LastSmbError();
    data.resize(start + static_cast<size_t>(got));
    position_ += static_cast<size_t>(got);
    more = static_cast<size_t>(got) == piece;
  }
  known_size_ = position_;
  *contents = std::move(data);
  return S_OK;
}

HRESULT SmbFile::Write(const std::string& contents, bool (*stop)()) {
  for (size_t written = 0; written < contents.size();) {
    if (stop != nullptr && stop()) return HRESULT_FROM_WIN32(ERROR_CANCELLED);
    size_t count = std::min(kLargestPiece, contents.size() - written);
    ssize_t put =
        smbc_getFunctionWrite(context_)(context_, file_, contents.data() + written, count);
    if (put < 0) return LastSmbError();
    if (put == 0) return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
    written += static_cast<size_t>(put);
    position_ += static_cast<size_t>(put);
  }
  return S_OK;
}

HRESULT SmbFile::Rewrite(const std::string& contents) {
  // The seek only moves libsmbclient's own position; it costs no request.
  if (smbc_getFunctionLseek(context_)(context_, file_, 0, SEEK_SET) != 0) return LastSmbError();
  position_ = 0;
  HRESULT result = Write(contents);
  if (FAILED(result)) return result;
  const bool may_be_longer = !known_size_ || *known_size_ > contents.size();
  if (may_be_longer && smbc_getFunctionFtruncate(context_)(
                           context_, file_, static_cast<off_t>(contents.size())) != 0) {
    return LastSmbError();
  }
  known_size_ = contents.size();
  return S_OK;
}

HRESULT SmbFile::Close() {
  if (file_ == nullptr) return S_OK;
  SMBCFILE* file = file_;
  file_ = nullptr;
  return smbc_getFunctionClose(context_)(context_, file) == 0 ? S_OK : LastSmbError();
}
