// FragmentFile: one REG fragment during an import run. It holds the fragment open against writers
// and imports the sections of the selected registry root below a policy's registry root key.
#pragma once

#include <cstdio>
#include <string>

#include <objbase.h>

// The registry root names a section may start with, indexed by the root index ImportSections is
// given (the PolicyScope value: 0 for the machine half, 1 for the user half).
extern const char* const RootKeyNames[5];

class FragmentFile {
 public:
  // Opens the fragment at path (a null BSTR is the empty path) and holds it against writers until
  // destroyed: on Windows nobody can write it meanwhile; on Linux, where sharing is advisory, only
  // writers that lock it with flock() are kept out. Never fails, see OpenError.
  explicit FragmentFile(BSTR path);
  ~FragmentFile();
  FragmentFile(const FragmentFile&) = delete;
  FragmentFile& operator=(const FragmentFile&) = delete;

  // 0 when the fragment is open, otherwise the Win32 code of why it could not be opened
  // (ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION ...).
  DWORD OpenError() const { return open_error_; }

  // Creates, opens or deletes one key below key per section of the root RootKeyNames[root_index]
  // and writes each created key's entries; other sections are passed over. Key and value failures
  // are printed and the walk goes on. E_INVALIDARG for a root index outside the table,
  // E_OUTOFMEMORY when memory runs out (reading a section or writing a value), HRESULT_FROM_WIN32 of the reader's
  // error when the profile reader cannot read the file (the keys written before stay in the
  // caller's registry), S_OK otherwise (also when the fragment is not open: then nothing is
  // imported).
  HRESULT ImportSections(HKEY key, UINT root_index) const;

 private:
  std::string path_;
  std::FILE* stream_ = nullptr;
  DWORD open_error_ = ERROR_SUCCESS;
};
