// Text between the COM side (UTF-16) and LDAP (UTF-8). What we send must convert exactly; what
// the directory sends is untrusted and converts leniently, ill-formed bytes becoming U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// False for UTF-16 that is not well formed (a surrogate without its partner).
bool Utf8FromOle(std::u16string_view text, std::string* utf8);

std::u16string OleFromDirectory(std::string_view utf8);
