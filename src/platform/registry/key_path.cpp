#include "key_path.h"

#include "registry_limits.h"

LSTATUS SplitKeyPath(std::u16string_view path, KeyNames* names) {
  names->clear();
  if (!path.empty() && path.front() == u'\\') return ERROR_BAD_PATHNAME;
  size_t end = path.find_last_not_of(u'\\');
  path = end == std::u16string_view::npos ? std::u16string_view() : path.substr(0, end + 1);
  while (!path.empty()) {
    size_t separator = path.find(u'\\');
    std::u16string_view name = path.substr(0, separator);
    // A doubled backslash separates once: A\\B is A\B, as Wine's registry reads it (Microsoft's
    // documentation does not say).
    if (name.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    if (!name.empty()) names->push_back(name);
    path =
        separator == std::u16string_view::npos ? std::u16string_view() : path.substr(separator + 1);
  }
  return ERROR_SUCCESS;
}
