#include "gpo/policy_folder.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "system/ascii_text.h"
#include "gpo/sysvol_path.h"

namespace {

// Whether entry is "<name>.<tag>.old" with the tag SmbSession::ReplaceFile gives (hexadecimal
// digits), so that no other file of similar name is ever taken for the policy's.
bool IsSetAside(std::string_view entry, std::string_view name) {
  constexpr std::string_view kSuffix = ".old";
  if (entry.size() <= name.size() + 1 + kSuffix.size()) return false;
  if (!SameIgnoringAsciiCase(entry.substr(0, name.size()), name) || entry[name.size()] != '.' ||
      entry.substr(entry.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  std::string_view tag =
      entry.substr(name.size() + 1, entry.size() - name.size() - 1 - kSuffix.size());
  return std::all_of(tag.begin(), tag.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

bool IsNotFound(HRESULT result) {
  return result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
         result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

}  // namespace

HRESULT PolicyFolder::ReadFile(const std::string& subfolder, const std::string& name,
                               PolicyFile* file) {
  PolicyFile result;
  result.folder_url = ChildUrl(url_, subfolder);
  result.name = name;
  HRESULT read = session_->ReadFile(ChildUrl(result.folder_url, name), &result.contents);
  if (SUCCEEDED(read)) {
    result.folder_exists = result.exists = true;
  } else if (IsNotFound(read)) {
    read = FindByListing(subfolder, &result);
  }
  if (SUCCEEDED(read)) *file = std::move(result);
  return read;
}

// The subfolder as spelled is listed first: a server that ignores case lists it under any
// spelling, so the policy's folder is listed too only where the server compares with case.
HRESULT PolicyFolder::FindByListing(const std::string& subfolder, PolicyFile* file) {
  std::string spelled;
  std::vector<std::string> set_aside;
  HRESULT found = FindName(file->folder_url, file->name, &spelled, &set_aside);
  if (IsNotFound(found)) {
    std::string folder;
    found = FindName(url_, subfolder, &folder);
    if (FAILED(found) || folder.empty() || folder == subfolder)
      return IsNotFound(found) ? S_OK : found;
    file->folder_url = ChildUrl(url_, folder);
    found = FindName(file->folder_url, file->name, &spelled, &set_aside);
  }
  if (IsNotFound(found)) return S_OK;  // the folder is not there (any more)
  if (FAILED(found)) return found;
  file->folder_exists = true;
  if (spelled.empty() && !set_aside.empty()) return ReadSetAside(set_aside, file);
  // The exact spelling was not there; another one is read, the same one vanished meanwhile.
  if (spelled.empty() || spelled == file->name) return S_OK;
  file->name = spelled;
  found = session_->ReadFile(ChildUrl(file->folder_url, spelled), &file->contents);
  file->exists = SUCCEEDED(found);
  return IsNotFound(found) ? S_OK : found;
}

HRESULT PolicyFolder::ReadSetAside(const std::vector<std::string>& set_aside, PolicyFile* file) {
  if (set_aside.size() > 1) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  const std::string url = ChildUrl(file->folder_url, set_aside[0]);
  HRESULT read = session_->ReadFile(url, &file->contents);
  if (FAILED(read)) return read;
  file->exists = true;
  file->set_aside_url = url;
  return S_OK;
}

HRESULT PolicyFolder::FindName(const std::string& folder_url, const std::string& name,
                               std::string* found, std::vector<std::string>* set_aside) {
  std::vector<std::string> names;
  HRESULT listed = session_->ListFolder(folder_url, &names);
  if (FAILED(listed)) return listed;
  for (const std::string& candidate : names) {
    if (found->empty() && SameIgnoringAsciiCase(candidate, name)) *found = candidate;
    if (set_aside != nullptr && IsSetAside(candidate, name)) set_aside->push_back(candidate);
  }
  return S_OK;
}

HRESULT PolicyFolder::HoldFile(const std::string& name, std::string* contents,
                               std::unique_ptr<SmbFile>* held, std::string* created_url) {
  created_url->clear();
  HRESULT result = session_->OpenHeld(ChildUrl(url_, name), false, held);
  if (IsNotFound(result)) result = HoldOtherSpellingOrNewFile(name, held, created_url);
  if (SUCCEEDED(result)) result = (*held)->ReadToEnd(contents);
  if (FAILED(result)) {
    held->reset();
    if (!created_url->empty()) session_->RemoveQuietly(*created_url);
    created_url->clear();
  }
  return result;
}

HRESULT PolicyFolder::HoldOtherSpellingOrNewFile(const std::string& name,
                                                 std::unique_ptr<SmbFile>* held,
                                                 std::string* created_url) {
  std::string spelled;
  HRESULT result = FindName(url_, name, &spelled);
  if (FAILED(result)) return result;
  if (!spelled.empty()) return session_->OpenHeld(ChildUrl(url_, spelled), false, held);
  const std::string url = ChildUrl(url_, name);
  result = session_->OpenHeld(url, true, held);
  if (SUCCEEDED(result)) *created_url = url;
  // Another writer made it since the listing: theirs to keep.
  if (result == HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)) {
    result = session_->OpenHeld(url, false, held);
  }
  return result;
}

HRESULT PolicyFolder::ReplaceFile(PolicyFile* file, const std::string& contents) {
  if (!file->folder_exists) {
    HRESULT made = session_->MakeFolder(file->folder_url);
    if (FAILED(made)) return made;
  }
  HRESULT result = session_->ReplaceFile(file->folder_url, file->name, contents);
  if (FAILED(result)) return result;
  file->folder_exists = file->exists = true;
  if (!file->set_aside_url.empty()) session_->RemoveQuietly(file->set_aside_url);
  file->set_aside_url.clear();
  return S_OK;
}
