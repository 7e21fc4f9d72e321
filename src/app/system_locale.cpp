#include "system_locale.h"

#include <clocale>

void AdoptSystemCodePage() {
#ifndef _WIN32
  // Only the character type: number formats of the output stay the same in every locale.
  std::setlocale(LC_CTYPE, "");
#endif
}
