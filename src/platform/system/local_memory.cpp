// LocalAlloc and LocalFree: fixed blocks only (no caller of ours asks for movable memory).
#include <cstdlib>

#include <windows.h>

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  if ((uFlags & ~UINT(LMEM_ZEROINIT)) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // A zero-byte block is still a distinct block on Windows.
  size_t size = uBytes == 0 ? 1 : uBytes;
  void* block = (uFlags & LMEM_ZEROINIT) != 0 ? std::calloc(1, size) : std::malloc(size);
  if (block == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
  std::free(hMem);
  return nullptr;
}
