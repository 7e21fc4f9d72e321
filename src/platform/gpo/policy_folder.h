// A policy's folder on SYSVOL, whose files and subfolders are found without regard to case
// (provisioning writes MACHINE and USER, other tools Machine and User).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gpo/smb_session.h"

// Where one of the policy's files is, or would be created, and what it held when read.
struct PolicyFile {
  std::string folder_url;  // the folder the file is (or belongs) in
  std::string name;        // the file's name as the server spells it
  bool folder_exists = false;
  bool exists = false;
  std::string contents;  // empty when the file does not exist
  // When the file is missing but a save that died between its two renames left the old file
  // moved aside ("<name>.<tag>.old", SmbSession::ReplaceFile), that copy is read in its place
  // (exists is then true) and this names it, so the next replace removes it.
  std::string set_aside_url;
};

class PolicyFolder {
 public:
  PolicyFolder(SmbSession* session, std::string url) : session_(session), url_(std::move(url)) {}

  // Reads subfolder/name. The exact spelling is tried first, which a case-insensitive server
  // (Windows, Samba) answers in one go; only when that finds nothing is the subfolder listed,
  // and the policy's folder too when the subfolder is not found under that spelling, for
  // servers that compare names with case. A missing file is no failure: exists is false and
  // the location names where it would go, unless one copy set aside stands in for it (see
  // PolicyFile); several such copies leave it unclear which is the file, and give
  // HRESULT_FROM_WIN32(ERROR_INVALID_DATA).
  HRESULT ReadFile(const std::string& subfolder, const std::string& name, PolicyFile* file);

  // Opens name in the policy's own folder held against other writers (SmbSession::OpenHeld)
  // and reads it whole, found as ReadFile finds a file; a missing file is created empty, since
  // holding needs a file, and its URL is left in created_url (empty when the file was there), so
  // the caller can remove it again. A file another run holds gives
  // HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION) at once; waiting is the caller's choice.
  HRESULT HoldFile(const std::string& name, std::string* contents, std::unique_ptr<SmbFile>* held,
                   std::string* created_url);

  // Writes the file at the location ReadFile gave, creating its folder when missing, removes
  // the copy set aside it was read from, and records that the file and its folder now exist.
  HRESULT ReplaceFile(PolicyFile* file, const std::string& contents);

 private:
  HRESULT FindByListing(const std::string& subfolder, PolicyFile* file);
  // HoldFile once the exact spelling found nothing: the file under another spelling, or a new one
  // whose URL goes to created_url.
  HRESULT HoldOtherSpellingOrNewFile(const std::string& name, std::unique_ptr<SmbFile>* held,
                                     std::string* created_url);
  // The entry of the folder whose name equals name without regard to case; empty when there
  // is none. With set_aside, also every entry a replace of name set aside ("<name>.<tag>.old",
  // the tag hexadecimal). A folder that is not there is reported as not found.
  HRESULT FindName(const std::string& folder_url, const std::string& name, std::string* found,
                   std::vector<std::string>* set_aside = nullptr);
  // Reads the one copy set aside in place of the missing file.
  HRESULT ReadSetAside(const std::vector<std::string>& set_aside, PolicyFile* file);

  SmbSession* session_;
  std::string url_;
};
