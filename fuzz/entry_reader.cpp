// ImportEntries on one section's lines, written into an in-memory hive, which must then save as
// a Registry.pol that loads again: the next import reads what this one saved. Input: a code
// page choice byte (code_page_choice.h), then the section text, lines ended by LF or NUL.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "code_page_choice.h"
#include "fragment/entry_reader.h"
#include "property.h"
#include "registry/hive.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader reports every bad entry on stdout; keep the fuzzer's own output readable.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CodePageChoice code_page(&data, &size);
  // The profile reader's form: NUL-terminated lines, then an empty one, in a buffer exactly that
  // long so AddressSanitizer sees a read past the end.
  std::vector<char> lines(size + 2, '\0');
  for (size_t i = 0; i < size; ++i) lines[i] = data[i] == '\n' ? '\0' : static_cast<char>(data[i]);

  RegistryHive hive;
  HKEY root = hive.OpenRoot();
  ImportEntries(lines.data(), root);
  RegCloseKey(root);

  std::string saved = hive.Save();
  std::unique_ptr<RegistryHive> loaded;
  RequireProperty(SUCCEEDED(RegistryHive::Load(reinterpret_cast<const BYTE*>(saved.data()),
                                               saved.size(), &loaded)),
                  "what the entries wrote saves as a Registry.pol that loads");
  RequireProperty(loaded->Save() == saved, "the loaded hive saves the same bytes");
  return 0;
}
