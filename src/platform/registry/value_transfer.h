// What the A and the W registry functions share: handing names and data out through the
// caller's buffers, and storing a value through a handle.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "registry_key.h"

// Copies name and a terminator into buffer, which holds *chars characters, and sets *chars to the
// name's length: the enumeration functions' rule. ERROR_MORE_DATA, copying nothing and leaving
// *chars alone, when the name and its terminator do not fit.
template <typename Char>
LSTATUS CopyNameOut(const std::basic_string<Char>& name, Char* buffer, LPDWORD chars) {
  if (name.size() >= *chars) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(Char));
  *chars = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// A subkey's name, and its class and write time, which keys here do not have, for the caller's
// buffers, as RegEnumKeyEx hands them out.
template <typename Char>
LSTATUS CopySubkeyOut(const std::basic_string<Char>& name, Char* buffer, LPDWORD chars,
                      Char* class_buffer, LPDWORD class_chars, PFILETIME write_time) {
  LSTATUS status = CopyNameOut(name, buffer, chars);
  if (status == ERROR_SUCCESS && class_buffer) {
    status = CopyNameOut(std::basic_string<Char>(), class_buffer, class_chars);
  }
  if (status == ERROR_SUCCESS && write_time) *write_time = FILETIME{0, 0};
  return status;
}

// Hands type and data to the caller's optional buffers; the data buffer holds *size bytes.
// ERROR_MORE_DATA, with *size set to the bytes needed, when the data do not fit.
LSTATUS CopyDataOut(DWORD value_type, const std::vector<BYTE>& data, LPDWORD type, LPBYTE buffer,
                    LPDWORD size);

// The subkey (in name order) and the value (in creation order) at index of the key behind handle;
// ERROR_NO_MORE_ITEMS past the last. Expect the registry lock to be held.
LSTATUS FindSubkeyAt(HKEY handle, DWORD index, const RegistryKey** subkey);
LSTATUS FindValueAt(HKEY handle, DWORD index, const RegistryValue** value);

// Sets the value name of the key behind handle to type and data (as the hive keeps them), with
// the checks every write makes: the handle's right to set values, the name's length, the size
// Registry.pol can hold. Expects the registry lock to be held.
LSTATUS StoreValue(HKEY handle, const std::u16string& name, DWORD type, std::vector<BYTE> data);
