// Memory that runs out fails the whole import: a Win32 code saying so is raised as
// std::bad_alloc, which the section walk answers with E_OUTOFMEMORY, instead of being reported
// like a refused key or value and the policy saved without it.
#pragma once

#include <new>

#include <windows.h>

inline bool IsOutOfMemory(DWORD error) {
  return error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY;
}

// Hands back any other code, so a call's status can be checked where it is kept.
inline LONG ThrowIfOutOfMemory(LONG error) {
  if (IsOutOfMemory(static_cast<DWORD>(error))) throw std::bad_alloc();
  return error;
}
