// One libsmbclient connection context, authenticated with the caller's Kerberos ticket (never a
// password), and the few file operations a policy's files need.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "gpo/smb_file.h"

struct _SMBCCTX;

class SmbSession {
 public:
  // A context that uses Kerberos only: the ticket cache of the process (KRB5CCNAME) and the
  // client settings of smb.conf.
  static HRESULT Create(std::unique_ptr<SmbSession>* session);
  ~SmbSession();
  SmbSession(const SmbSession&) = delete;
  SmbSession& operator=(const SmbSession&) = delete;

  // The whole file; HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) or (ERROR_PATH_NOT_FOUND) when it
  // or its folder is missing.
  HRESULT ReadFile(const std::string& url, std::string* contents);

  // Opens the file for reading and writing while denying write access to every other open for
  // as long as the handle stays open, on this client or any other: a second such open fails
  // with HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), as does any open that asks to write or
  // that does not share write access, while readers that share it read on. The server lets go
  // when the handle is closed or the connection ends, so a process that dies holds nothing.
  // With create, the file is created empty, and one that exists already gives
  // HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS), so the caller knows whose file it holds.
  HRESULT OpenHeld(const std::string& url, bool create, std::unique_ptr<SmbFile>* file);

  // The names in a folder, without "." and "..".
  HRESULT ListFolder(const std::string& url, std::vector<std::string>* names);

  // Creates a folder; one that exists already is fine.
  HRESULT MakeFolder(const std::string& url);

  // Replaces (or creates) folder_url/name with contents so that readers see the old file or
  // the new one, never a part. The new text goes to a temporary file in the same folder first;
  // then the old file is renamed aside, the new one renamed into place and the old one deleted.
  // libsmbclient's rename never replaces a target atomically (on a collision it deletes the
  // target and renames again, which loses the file if the second rename fails), so the old
  // file is moved aside instead and moved back if the new one cannot take its place. For the
  // two round trips between the renames, readers find no file; should the process die there,
  // the old text stays in "<name>.<tag>.old", where the next open finds it
  // (PolicyFolder::ReadFile). A reader that has the old file open without
  // sharing its deletion is waited for (RetrySchedule::ForReaders); one that keeps it longer
  // gives HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), and nothing has changed. When a signal
  // to end the process is being held back (DeferredTermination), the replace stops while the
  // new text is still being written, or before the old file is moved, removes its temporary file
  // and gives HRESULT_FROM_WIN32(ERROR_CANCELLED); once the old file has moved it finishes.
  HRESULT ReplaceFile(const std::string& folder_url, const std::string& name,
                      const std::string& contents);

  // Deletes a file if it can, keeping errno: a file some open does not share for deletion
  // (every held file) stays.
  void RemoveQuietly(const std::string& url);

 private:
  explicit SmbSession(_SMBCCTX* context) : context_(context) {}
  HRESULT WriteNewFile(const std::string& url, const std::string& contents, bool (*stop)());

  _SMBCCTX* context_;
};
