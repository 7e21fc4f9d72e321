#include "fragment_file.h"

#include <share.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <type_traits>

#include "common/ansi_text.h"
#include "ansi_path.h"
#include "common/bstr.h"
#include "common/out_of_memory.h"
#include "entry_reader.h"
#include "profile_list.h"

const char* const RootKeyNames[5] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT",
                                     "HKEY_USERS", "HKEY_CURRENT_CONFIG"};

namespace {

// What a section asks of the selected root: write entries below a key, delete a key, or nothing.
enum class SectionKind { Other, Write, Delete };
struct SectionAction {
  SectionKind kind = SectionKind::Other;
  const char* subkey = nullptr;  // empty for the root key itself
};

// The separating character after the root name is skipped whatever it is; a name that ends with
// the root name addresses the root key itself.
const char* SubkeyAfterRoot(const char* rest) {
  return *rest == '\0' ? rest : rest + AnsiCharLength(rest);
}

// A character that continues a root name into a longer one, such as
// HKEY_CURRENT_USER_LOCAL_SETTINGS, a root of its own.
bool ContinuesRootName(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The text after the root name at the start of name, or null when name starts otherwise. The
// root name is ASCII and matched from a character boundary, so a byte comparison never matches
// part of a double-byte character.
const char* AfterRootName(const char* name, const char* root, size_t root_length) {
  if (std::strncmp(name, root, root_length) != 0) return nullptr;
  return ContinuesRootName(name[root_length]) ? nullptr : name + root_length;
}

SectionAction ReadSectionName(const char* section, const char* root) {
  size_t root_length = std::strlen(root);
  if (const char* rest = AfterRootName(section, root, root_length)) {
    return {SectionKind::Write, SubkeyAfterRoot(rest)};
  }
  const char* rest = section[0] == '-' ? AfterRootName(section + 1, root, root_length) : nullptr;
  if (rest != nullptr) return {SectionKind::Delete, SubkeyAfterRoot(rest)};
  return {};
}

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

void WriteSection(HKEY key, const char* section, const char* subkey, const std::string& path,
                  ProfileList* lines) {
  HKEY created = nullptr;
  LSTATUS status = RegCreateKeyExA(key, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                   nullptr, &created, nullptr);
  ThrowIfOutOfMemory(status);
  if (status != ERROR_SUCCESS) {
    std::printf("Error %d, unable to create key: %s\n", static_cast<int>(status), subkey);
    return;
  }
  UniqueKey section_key(created);
  const char* first = lines->Fill([&](LPSTR buffer, DWORD capacity) {
    return GetPrivateProfileSectionA(section, buffer, capacity, path.c_str());
  });
  if (*first != '\0') ImportEntries(first, section_key.get());
}

// Deleting the policy's root key itself would empty the whole half; it is refused as the registry
// refuses a key it protects.
void DeleteSection(HKEY key, const char* root, const char* subkey) {
  LSTATUS status = *subkey == '\0' ? ERROR_ACCESS_DENIED : RegDeleteKeyA(key, subkey);
  ThrowIfOutOfMemory(status);
  if (status != ERROR_SUCCESS) {
    std::printf("Error %d, unable to delete key: %s\n", static_cast<int>(status),
                *subkey == '\0' ? root : subkey);
  }
}

}  // namespace

FragmentFile::FragmentFile(BSTR path) {
  path_ = AnsiPath(path, &open_error_);
  if (open_error_ != ERROR_SUCCESS) return;
  // Denying writers keeps the fragment as it is while the profile reader reads it by path.
  SetLastError(ERROR_SUCCESS);
  stream_ = _fsopen(path_.c_str(), "r", _SH_DENYWR);
  if (stream_ == nullptr) {
    open_error_ = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_OPEN_FAILED;
  }
}

FragmentFile::~FragmentFile() {
  if (stream_ != nullptr) std::fclose(stream_);
}

HRESULT FragmentFile::ImportSections(HKEY key, UINT root_index) const {
  if (root_index >= std::size(RootKeyNames)) return E_INVALIDARG;
  if (stream_ == nullptr) return S_OK;
  const char* root = RootKeyNames[root_index];
  try {
    ProfileList names;
    ProfileList lines;
    const char* section = names.Fill([&](LPSTR buffer, DWORD capacity) {
      return GetPrivateProfileSectionNamesA(buffer, capacity, path_.c_str());
    });
    for (; *section != '\0'; section = ProfileList::Next(section)) {
      SectionAction action = ReadSectionName(section, root);
      if (action.kind == SectionKind::Write)
        WriteSection(key, section, action.subkey, path_, &lines);
      if (action.kind == SectionKind::Delete) DeleteSection(key, root, action.subkey);
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const ProfileReadError& failure) {
    return HRESULT_FROM_WIN32(failure.error());
  }
  return S_OK;
}
