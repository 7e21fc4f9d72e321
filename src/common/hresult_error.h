// HresultError: a failing HRESULT raised as an exception, caught once at the top of the entry.
#pragma once

#include <windows.h>

struct HresultError {
  HRESULT value;
};

// Raises an HresultError when hr is a failure; returns hr otherwise.
inline HRESULT ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) throw HresultError{hr};
  return hr;
}
