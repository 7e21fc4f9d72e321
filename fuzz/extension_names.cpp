// MergeExtensionNames on an extension-names attribute value. Input: a byte choosing the
// extension GUID, one choosing the tool GUID (both from a few that occur in real policies, so
// the pair can meet the groups of the value), a byte whose low bit adds (1) or removes (0) the
// pair, then the existing value.
//
// Properties of an accepted value: the merge is idempotent (so its own output is accepted), its
// groups are in ascending extension order with no extension twice, an added pair is there, and
// removing an added pair and adding it back gives the same value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <objbase.h>

#include "gpo/extension_names.h"
#include "property.h"

namespace {

constexpr GUID kGuids[] = {
    // the registry client extension and the tools that edit its settings
    {0x35378EAC, 0x683F, 0x11D2, {0xA8, 0x9A, 0x00, 0xC0, 0x4F, 0xBB, 0xCF, 0xA2}},
    {0x0F6B957D, 0x509E, 0x11D1, {0xA7, 0xCC, 0x00, 0x00, 0xF8, 0x75, 0x71, 0xE3}},
    {0x0F6B957E, 0x509E, 0x11D1, {0xA7, 0xCC, 0x00, 0x00, 0xF8, 0x75, 0x71, 0xE3}},
    {0xD02B1F72, 0x3407, 0x48AE, {0xBA, 0x88, 0xE8, 0x21, 0x3C, 0x67, 0x61, 0xF1}},
    {0xD02B1F73, 0x3407, 0x48AE, {0xBA, 0x88, 0xE8, 0x21, 0x3C, 0x67, 0x61, 0xF1}},
    // security settings and their tool, as the default domain policy has them
    {0x827D319E, 0x6EAC, 0x11D2, {0xA4, 0xEA, 0x00, 0xC0, 0x4F, 0x79, 0xF8, 0x3A}},
    {0x803E14A0, 0xB4FB, 0x11D0, {0xA0, 0xD0, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0x4B}},
    // the null GUID, which a group may name as its tool
    {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
};
constexpr size_t kGuidCount = sizeof kGuids / sizeof kGuids[0];

std::string Merge(std::string_view existing, const GUID& extension, const GUID& tool, bool add) {
  std::string merged;
  RequireProperty(SUCCEEDED(MergeExtensionNames(existing, extension, tool, add, &merged)),
                  "a merged value is accepted again");
  return merged;
}

// Each group is '[', the 38-character extension GUID, tool GUIDs, ']'.
void RequireAscendingGroups(const std::string& merged) {
  std::string previous;
  for (size_t at = 0; at < merged.size();) {
    size_t close = merged.find(']', at);
    RequireProperty(merged[at] == '[' && close != std::string::npos && close - at > 38,
                    "a merged value is a sequence of groups");
    std::string extension = merged.substr(at + 1, 38);
    RequireProperty(previous < extension, "groups ascend by extension, none twice");
    previous = extension;
    at = close + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const GUID& extension = kGuids[data[0] % kGuidCount];
  const GUID& tool = kGuids[data[1] % kGuidCount];
  bool add = (data[2] & 1) != 0;
  std::string_view existing(reinterpret_cast<const char*>(data + 3), size - 3);

  std::string merged;
  if (FAILED(MergeExtensionNames(existing, extension, tool, add, &merged))) return 0;
  RequireProperty(Merge(merged, extension, tool, add) == merged, "a merge is idempotent");
  RequireAscendingGroups(merged);
  if (add) {
    std::string pair = GuidToText(tool);
    std::string group_start = "[" + GuidToText(extension);
    size_t group = merged.find(group_start);
    RequireProperty(
        group != std::string::npos && merged.find(pair, group + 39) < merged.find(']', group),
        "an added pair is in its extension's group");
    RequireProperty(Merge(Merge(merged, extension, tool, false), extension, tool, true) == merged,
                    "removing an added pair and adding it back restores the value");
  }
  return 0;
}
