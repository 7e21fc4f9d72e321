// The Registry.pol ("PReg") file: the 8-byte header "PReg" + version 1, then one record
// [key;value;type;size;data] per value, names NUL-terminated UTF-16LE, type and size 32-bit LE.
#pragma once

#include <cstddef>
#include <string>

#include <windows.h>

#include "registry_key.h"

// Reads a whole file into root, which must be an empty root key. A file that is not well formed
// in every byte (header, brackets, separators, terminators, sizes, key paths, name lengths) gives
// ERROR_INVALID_DATA and may leave root partly filled, so callers read into a fresh root.
// A record with an empty value name, type REG_NONE and no data creates only its key; a value
// repeated in the file keeps its first place and takes the last record's type and data.
LSTATUS ReadRegistryPol(const BYTE* data, size_t size, RegistryKey& root);

// Writes the hive below root as the Windows editor orders it: depth first, subkeys in
// case-insensitive order, each key's values in creation order before its subkeys, and a
// key-only record just for a key with neither values nor subkeys. Reading the result back and
// writing again gives the same bytes. The bytes come in the string type the file functions take.
std::string WriteRegistryPol(const RegistryKey& root);
