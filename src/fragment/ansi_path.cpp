#include "ansi_path.h"

#include <cstring>

#include "common/bstr.h"

std::string AnsiPath(BSTR path, DWORD* error) {
  std::string ansi = BstrToAnsi(path);
  UniqueBstr round_trip(AnsiToBstr(ansi.c_str()));
  UINT length = SysStringLen(path);
  if (round_trip.length() != length ||
      (length > 0 && std::memcmp(round_trip.get(), path, length * sizeof(OLECHAR)) != 0)) {
    *error = ERROR_NO_UNICODE_TRANSLATION;
    return std::string();
  }
  return ansi;
}
