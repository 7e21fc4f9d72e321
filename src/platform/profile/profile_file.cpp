#include "profile_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include <winerror.h>

#include "profile_decoder.h"
#include "system/win32_error_from_errno.h"

namespace {

constexpr size_t kReadBlock = size_t{1} << 20;

int64_t Nanoseconds(const timespec& time) {
  return int64_t{time.tv_sec} * 1000000000 + time.tv_nsec;
}

// Only regular files are profiles: a directory is refused as Windows refuses it, and a device or
// pipe could block or never end.
bool IdentityFromStat(const struct stat& status, ProfileFileIdentity* identity, DWORD* error) {
  if (!S_ISREG(status.st_mode)) {
    *error = ERROR_ACCESS_DENIED;
    return false;
  }
  *identity = ProfileFileIdentity{status.st_dev, status.st_ino, status.st_size,
                                  Nanoseconds(status.st_mtim), Nanoseconds(status.st_ctim)};
  return true;
}

class OpenFile {
 public:
  explicit OpenFile(int fd) : fd_(fd) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (fd_ >= 0) close(fd_);
  }
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool ProfileFileIdentity::operator==(const ProfileFileIdentity& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         modified_ns == other.modified_ns && changed_ns == other.changed_ns;
}

bool StatProfileFile(const char* path, ProfileFileIdentity* identity, DWORD* error) {
  struct stat status;
  if (stat(path, &status) != 0) {
    *error = Win32ErrorFromErrno(errno);
    return false;
  }
  return IdentityFromStat(status, identity, error);
}

// The file is read to its end whatever its size was when opened, so a file that grows while it
// is read is still read whole; the identity then no longer matches and the next call reads again.
bool ReadProfileFile(const char* path, UINT code_page, TextBuffer* text,
                     ProfileFileIdentity* identity, DWORD* error) {
  OpenFile file(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  int fd = file.fd();
  if (fd < 0) {
    *error = Win32ErrorFromErrno(errno);
    return false;
  }
  struct stat status;
  if (fstat(fd, &status) != 0) {
    *error = Win32ErrorFromErrno(errno);
    return false;
  }
  if (!IdentityFromStat(status, identity, error)) return false;

  ProfileDecoder decoder(code_page, static_cast<size_t>(status.st_size));
  std::unique_ptr<char[]> block(new char[kReadBlock]);
  for (;;) {
    ssize_t count = read(fd, block.get(), kReadBlock);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      *error = Win32ErrorFromErrno(errno);
      return false;
    }
    if (count == 0) break;
    decoder.Append(block.get(), static_cast<size_t>(count));
  }
  if (!decoder.Finish()) {
    *error = decoder.error();
    return false;
  }
  *text = std::move(decoder.text());
  return true;
}
