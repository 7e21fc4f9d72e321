// GetPrivateProfileSectionNamesA and GetPrivateProfileSectionA on a file holding the input's raw
// bytes (BOMs included). Input: a code page choice byte (code_page_choice.h), then a byte giving
// the size of a small buffer every call is also made with, then the file's bytes.
//
// Properties: a buffer is never written past its size; every answer ends with a NUL, a cut one
// at size - 2; a complete answer holds whole strings and no empty one, which would end the list
// early and hide the rest; a file refused for text the code page cannot hold gives nothing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <windows.h>

#include "code_page_choice.h"
#include "property.h"

namespace {

// One input's bytes as a file, removed again afterwards (libFuzzer ends a run without running
// destructors of statics, so nothing may wait until then). The reader keeps the file it parsed
// last, keyed by path and identity; two names used in turn make each input a new file whatever
// the identity of its predecessor.
class ScratchFile {
 public:
  ScratchFile(const uint8_t* data, size_t size) {
    static int turn = 0;
    turn ^= 1;
    const char* tmp = std::getenv("TMPDIR");
    path_ = std::string(tmp != nullptr ? tmp : "/tmp") + "/regweave-fuzz-" +
            std::to_string(getpid()) + (turn != 0 ? "-a.ini" : "-b.ini");
    FILE* file = std::fopen(path_.c_str(), "wb");
    RequireProperty(file != nullptr, "the scratch file opens");
    RequireProperty(std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0,
                    "the scratch file is written");
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ~ScratchFile() { std::remove(path_.c_str()); }

  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

// The strings of an answer; an empty one inside a complete answer breaks the property.
std::vector<std::string> SplitComplete(const std::vector<char>& buffer, DWORD stored) {
  std::vector<std::string> strings;
  for (DWORD at = 0; at < stored;) {
    std::string text(buffer.data() + at);
    RequireProperty(!text.empty(), "a complete answer holds no empty string");
    at += static_cast<DWORD>(text.size()) + 1;
    strings.push_back(std::move(text));
  }
  return strings;
}

// One profile call with a buffer of exactly size bytes (on the heap, so AddressSanitizer sees
// any write past it); checks how the answer ends and says whether it was complete.
template <typename Call>
bool CallWithBuffer(DWORD size, Call call, std::vector<char>* buffer, DWORD* stored) {
  buffer->assign(size, '\x7F');
  *stored = call(buffer->data(), size);
  if (GetLastError() == ERROR_NO_UNICODE_TRANSLATION) {
    RequireProperty(*stored == 0 && (size == 0 || (*buffer)[0] == '\0'),
                    "a refused file gives nothing");
    return false;
  }
  bool complete = GetLastError() == ERROR_SUCCESS;
  if (size >= 2) {
    RequireProperty(*stored <= size - 2, "an answer leaves room for its closing NULs");
    RequireProperty((*buffer)[*stored] == '\0', "an answer ends with a NUL");
    // An exact fit returns size - 2 as a cut answer does: its last NUL is the string's own.
    bool exact_fit = *stored == size - 2 && (*buffer)[size - 1] == '\0';
    RequireProperty(!complete || *stored == 0 || (*buffer)[*stored - 1] == '\0' || exact_fit,
                    "a complete answer's last string is terminated");
    RequireProperty(complete || *stored == size - 2, "a cut answer returns size - 2");
  }
  return complete;
}

// The whole answer, growing the buffer until it fits; also made once with the small buffer.
template <typename Call>
std::vector<std::string> CallWhole(DWORD small_size, Call call) {
  std::vector<char> buffer;
  DWORD stored = 0;
  CallWithBuffer(small_size, call, &buffer, &stored);
  for (DWORD size = 256;; size *= 4) {
    if (CallWithBuffer(size, call, &buffer, &stored)) return SplitComplete(buffer, stored);
    if (GetLastError() == ERROR_NO_UNICODE_TRANSLATION) return {};
    RequireProperty(GetLastError() == ERROR_MORE_DATA, "a readable file is read");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CodePageChoice code_page(&data, &size);
  if (size == 0) return 0;
  DWORD small_size = data[0];
  ScratchFile file(data + 1, size - 1);
  const char* path = file.path();

  std::vector<std::string> names = CallWhole(small_size, [&](char* buffer, DWORD buffer_size) {
    return GetPrivateProfileSectionNamesA(buffer, buffer_size, path);
  });
  for (const std::string& name : names) {
    CallWhole(small_size, [&](char* buffer, DWORD buffer_size) {
      return GetPrivateProfileSectionA(name.c_str(), buffer, buffer_size, path);
    });
  }
  return 0;
}
