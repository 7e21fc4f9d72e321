// RegistryHive::Load on the bytes of a Registry.pol file. A file it accepts must save as bytes
// that load again and save identically; a file it refuses must leave the caller's hive alone.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include <windows.h>

#include "property.h"
#include "registry/hive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto untouched = std::make_unique<RegistryHive>();
  const RegistryHive* before = untouched.get();
  std::unique_ptr<RegistryHive> hive = std::move(untouched);
  if (FAILED(RegistryHive::Load(data, size, &hive))) {
    RequireProperty(hive.get() == before, "a refused file leaves the hive as it was");
    return 0;
  }
  std::string saved = hive->Save();
  std::unique_ptr<RegistryHive> reloaded;
  RequireProperty(SUCCEEDED(RegistryHive::Load(reinterpret_cast<const BYTE*>(saved.data()),
                                               saved.size(), &reloaded)),
                  "a saved hive loads again");
  RequireProperty(reloaded->Save() == saved, "a reloaded hive saves the same bytes");
  return 0;
}
