#include "gpo/policy_version.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

DWORD RaisePolicyVersion(DWORD file_version, DWORD container_version, bool machine) {
  DWORD user = std::max(HIWORD(file_version), HIWORD(container_version));
  DWORD computer = std::max(LOWORD(file_version), LOWORD(container_version));
  DWORD& changed = machine ? computer : user;
  changed = (changed + 1) & 0xFFFF;
  if (changed == 0) changed = 1;
  return (user << 16) | computer;
}

bool ParseContainerVersion(std::string_view text, DWORD* version) {
  std::string digits(text);
  if (digits.empty() || digits.size() > 11) return false;
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(digits.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || (digits[0] != '-' && (digits[0] < '0' || digits[0] > '9'))) {
    return false;
  }
  if (value < INT32_MIN || value > INT32_MAX) return false;
  *version = static_cast<DWORD>(static_cast<int32_t>(value));
  return true;
}

std::string FormatContainerVersion(DWORD version) {
  return std::to_string(static_cast<int32_t>(version));
}
