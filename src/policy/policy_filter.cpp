#include "policy/policy_filter.h"

#include <string>

#include "policy/built_string.h"

namespace {

using OleString = std::basic_string<OLECHAR>;

// A character that must not appear literally in a filter's assertion value.
bool IsFilterSpecial(OLECHAR c) {
  return c == OLESTR('*') || c == OLESTR('(') || c == OLESTR(')') || c == OLESTR('\\') ||
         c == OLESTR('\0');
}

void AppendEscaped(OleString& filter, OLECHAR c) {
  static const OLECHAR kHexDigits[] = OLESTR("0123456789abcdef");
  filter += OLESTR('\\');
  filter += kHexDigits[(c >> 4) & 0xF];
  filter += kHexDigits[c & 0xF];
}

}  // namespace

UniqueBstr PolicySearchFilter(BSTR display_name) {
  OleString filter = OLESTR("(&(objectClass=groupPolicyContainer)(displayName=");
  const UINT length = SysStringLen(display_name);
  for (UINT i = 0; i < length; ++i) {
    OLECHAR c = display_name[i];
    if (IsFilterSpecial(c)) {
      AppendEscaped(filter, c);
    } else {
      filter += c;
    }
  }
  filter += OLESTR("))");
  return OwnBuiltString(SysAllocStringLen(filter.data(), static_cast<UINT>(filter.size())));
}
