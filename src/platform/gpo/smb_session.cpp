#include "gpo/smb_session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include <libsmbclient.h>

#include "gpo/deferred_termination.h"
#include "gpo/retry_schedule.h"
#include "gpo/smb_error.h"
#include "gpo/sysvol_path.h"

namespace {

// A name no other writer picks: this process and a random number.
std::string UniqueTag() {
  std::random_device device;
  char tag[32];
  std::snprintf(tag, sizeof tag, "%x%08x", static_cast<unsigned>(getpid()),
                static_cast<unsigned>(device()));
  return tag;
}

// libsmbclient asks a cached connection for an echo before it first reuses it, a round trip
// per import; a session lives for one run, and a connection lost meanwhile fails the request
// that meets it, which is reported like any unreachable SYSVOL.
int ConnectionInShape(SMBCCTX*, SMBCSRV*) {
  return 0;
}

}  // namespace

HRESULT SmbSession::Create(std::unique_ptr<SmbSession>* session) {
  SMBCCTX* context = smbc_new_context();
  if (context == nullptr) return E_OUTOFMEMORY;
  smbc_setDebug(context, 0);
  smbc_setOptionUseKerberos(context, 1);
  smbc_setOptionFallbackAfterKerberos(context, 0);
  smbc_setOptionNoAutoAnonymousLogin(context, 1);
  smbc_setOptionUseCCache(context, 1);
  smbc_setOptionCaseSensitive(context, 0);
  smbc_setFunctionCheckServer(context, &ConnectionInShape);
  if (smbc_init_context(context) == nullptr) {
    HRESULT failure = LastSmbError();
    smbc_free_context(context, 1);
    return failure;
  }
  session->reset(new SmbSession(context));
  return S_OK;
}

SmbSession::~SmbSession() {
  smbc_free_context(context_, 1);
}

HRESULT SmbSession::ReadFile(const std::string& url, std::string* contents) {
  SMBCFILE* opened = smbc_getFunctionOpen(context_)(context_, url.c_str(), O_RDONLY, 0);
  if (opened == nullptr) return LastSmbError();
  SmbFile file(context_, opened);
  HRESULT result = file.ReadToEnd(contents);
  HRESULT closed = file.Close();
  return FAILED(result) ? result : closed;
}

HRESULT SmbSession::OpenHeld(const std::string& url, bool create, std::unique_ptr<SmbFile>* file) {
  // The share mode is a setting of the context that every later open would use too.
  smbc_setOptionOpenShareMode(context_, SMBC_SHAREMODE_DENY_WRITE);
  SMBCFILE* opened = smbc_getFunctionOpen(context_)(context_, url.c_str(),
                                                    O_RDWR | (create ? O_CREAT | O_EXCL : 0), 0644);
  HRESULT result = opened != nullptr ? S_OK : LastSmbError();
  smbc_setOptionOpenShareMode(context_, SMBC_SHAREMODE_DENY_NONE);
  if (SUCCEEDED(result)) *file = std::make_unique<SmbFile>(context_, opened);
  return result;
}

HRESULT SmbSession::ListFolder(const std::string& url, std::vector<std::string>* names) {
  SMBCFILE* folder = smbc_getFunctionOpendir(context_)(context_, url.c_str());
  if (folder == nullptr) return LastSmbError();
  std::vector<std::string> found;
  errno = 0;
  while (struct smbc_dirent* entry = smbc_getFunctionReaddir(context_)(context_, folder)) {
    std::string name(entry->name);
    if (name != "." && name != "..") found.push_back(std::move(name));
  }
  // readdir ends with null both at the end and on a failure; only a failure sets errno.
  HRESULT result = errno == 0 ? S_OK : LastSmbError();
  smbc_getFunctionClosedir(context_)(context_, folder);
  if (SUCCEEDED(result)) *names = std::move(found);
  return result;
}

HRESULT SmbSession::MakeFolder(const std::string& url) {
  if (smbc_getFunctionMkdir(context_)(context_, url.c_str(), 0755) == 0 || errno == EEXIST) {
    return S_OK;
  }
  return LastSmbError();
}

HRESULT SmbSession::WriteNewFile(const std::string& url, const std::string& contents,
                                 bool (*stop)()) {
  // Exclusive: a file that somehow holds this name already is never written into.
  SMBCFILE* opened =
      smbc_getFunctionOpen(context_)(context_, url.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (opened == nullptr) return LastSmbError();
  SmbFile file(context_, opened);
  HRESULT result = file.Write(contents, stop);
  HRESULT closed = file.Close();
  if (SUCCEEDED(result)) result = closed;
  if (FAILED(result)) RemoveQuietly(url);
  return result;
}

void SmbSession::RemoveQuietly(const std::string& url) {
  int saved = errno;
  smbc_getFunctionUnlink(context_)(context_, url.c_str());
  errno = saved;
}

HRESULT SmbSession::ReplaceFile(const std::string& folder_url, const std::string& name,
                                const std::string& contents) {
  auto rename = smbc_getFunctionRename(context_);
  const std::string tag = UniqueTag();
  const std::string target = ChildUrl(folder_url, name);
  const std::string fresh = ChildUrl(folder_url, name + "." + tag + ".new");
  const std::string aside = ChildUrl(folder_url, name + "." + tag + ".old");

  HRESULT result = WriteNewFile(fresh, contents, &DeferredTermination::Requested);
  if (FAILED(result)) return result;

  // Moving the old file needs its deletion shared, which a reader may briefly not allow.
  bool had_old = false;
  result = RetryWhileBusyPausing(
      HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), RetrySchedule::ForReaders(), [&] {
        if (DeferredTermination::Requested()) return HRESULT_FROM_WIN32(ERROR_CANCELLED);
        had_old = rename(context_, target.c_str(), context_, aside.c_str()) == 0;
        return had_old || errno == ENOENT ? S_OK : LastSmbError();
      });
  if (FAILED(result)) {
    RemoveQuietly(fresh);
    return result;
  }
  if (rename(context_, fresh.c_str(), context_, target.c_str()) != 0) {
    result = LastSmbError();
    if (had_old) rename(context_, aside.c_str(), context_, target.c_str());
    RemoveQuietly(fresh);
    return result;
  }
  // The new file is in place. An old one that cannot be deleted stays beside it, and would be read
  // only should the file go missing (PolicyFolder::ReadFile).
  if (had_old) RemoveQuietly(aside);
  return S_OK;
}
