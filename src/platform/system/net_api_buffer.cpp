// NetApiBufferAllocate and NetApiBufferFree: the blocks the network management functions hand
// out, such as DsGetDcNameA's answer.
#include <cstdlib>

#include <lmapibuf.h>

NET_API_STATUS WINAPI NetApiBufferAllocate(DWORD ByteCount, LPVOID* Buffer) {
  if (Buffer == nullptr) return ERROR_INVALID_PARAMETER;
  *Buffer = std::calloc(1, ByteCount == 0 ? 1 : ByteCount);
  return *Buffer == nullptr ? ERROR_NOT_ENOUGH_MEMORY : NERR_Success;
}

NET_API_STATUS WINAPI NetApiBufferFree(LPVOID Buffer) {
  std::free(Buffer);
  return NERR_Success;
}
