// CoInitialize, CoInitializeEx and CoUninitialize: a count and a threading model per thread.
#include "apartment.h"

#include <objbase.h>

namespace {

struct Apartment {
  unsigned count = 0;
  DWORD model = COINIT_APARTMENTTHREADED;
};

thread_local Apartment apartment;

constexpr DWORD kModelFlags = COINIT_APARTMENTTHREADED;
constexpr DWORD kKnownFlags =
    COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;

}  // namespace

bool IsComInitializedOnThisThread() {
  return apartment.count > 0;
}

HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
  if (pvReserved != nullptr || (dwCoInit & ~kKnownFlags) != 0) return E_INVALIDARG;
  DWORD model = dwCoInit & kModelFlags;
  if (apartment.count > 0 && apartment.model != model) return RPC_E_CHANGED_MODE;
  apartment.model = model;
  return apartment.count++ == 0 ? S_OK : S_FALSE;
}

HRESULT WINAPI CoInitialize(LPVOID pvReserved) {
  return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

// An unbalanced call does nothing, as on Windows.
void WINAPI CoUninitialize(void) {
  if (apartment.count > 0) --apartment.count;
}
