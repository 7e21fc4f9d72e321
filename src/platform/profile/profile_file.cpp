#include "profile_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <utility>

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
  *identity = ProfileFileIdentity{status.st_dev,
                                  status.st_ino,
                                  status.st_nlink,
                                  status.st_size,
                                  Nanoseconds(status.st_mtim),
                                  Nanoseconds(status.st_ctim)};
  return true;
}

// A device or pipe is refused before it is opened, which could block or have effects of its own.
bool IsRegularFile(const char* path, DWORD* error) {
  struct stat status;
  ProfileFileIdentity identity;
  if (stat(path, &status) == 0) return IdentityFromStat(status, &identity, error);
  *error = Win32ErrorFromErrno(errno);
  return false;
}

}  // namespace

bool ProfileFileIdentity::operator==(const ProfileFileIdentity& other) const {
  return device == other.device && inode == other.inode && links == other.links &&
         size == other.size && modified_ns == other.modified_ns && changed_ns == other.changed_ns;
}

HeldProfileFile::HeldProfileFile(HeldProfileFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), identity_(other.identity_) {}

HeldProfileFile& HeldProfileFile::operator=(HeldProfileFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    identity_ = other.identity_;
  }
  return *this;
}

HeldProfileFile::~HeldProfileFile() {
  if (fd_ >= 0) close(fd_);
}

bool HeldProfileFile::TakeIdentity(DWORD* error) {
  struct stat status;
  if (fstat(fd_, &status) == 0) return IdentityFromStat(status, &identity_, error);
  *error = Win32ErrorFromErrno(errno);
  return false;
}

bool HeldProfileFile::Unchanged() const {
  struct stat status;
  ProfileFileIdentity now;
  DWORD error = 0;
  return fd_ >= 0 && fstat(fd_, &status) == 0 && IdentityFromStat(status, &now, &error) &&
         now == identity_;
}

// The file is read to its end whatever its size was when opened, so a file that grows while it
// is read is still read whole; the identity then no longer matches and the next call reads again.
bool ReadProfileFile(const char* path, UINT code_page, TextBuffer* text, HeldProfileFile* held,
                     DWORD* error) {
  if (!IsRegularFile(path, error)) return false;
  HeldProfileFile file(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.fd() < 0) {
    *error = Win32ErrorFromErrno(errno);
    return false;
  }
  if (!file.TakeIdentity(error)) return false;

  ProfileDecoder decoder(code_page, static_cast<size_t>(file.identity().size));
  std::unique_ptr<char[]> block(new char[kReadBlock]);
  for (;;) {
    ssize_t count = read(file.fd(), block.get(), kReadBlock);
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
  *held = std::move(file);
  return true;
}
