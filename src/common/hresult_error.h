// HresultError: a failing HRESULT raised as an exception, caught once at the top of the entry.
#pragma once

#include <new>

#include <windows.h>

struct HresultError {
  HRESULT value;
};

// Raises an HresultError when hr is a failure; returns hr otherwise.
inline HRESULT ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) throw HresultError{hr};
  return hr;
}

// Runs step() and hands back what it returns, raising memory that runs out as HresultError
// E_OUTOFMEMORY, the status an import's own steps end with then.
template <typename Step>
auto OutOfMemoryAsHresult(Step&& step) -> decltype(step()) {
  try {
    return step();
  } catch (const std::bad_alloc&) {
    throw HresultError{E_OUTOFMEMORY};
  }
}
