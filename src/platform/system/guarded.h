// A function or method that stands for a Windows interface reports every failure through its
// result, as Windows does: memory that cannot be had must not leave it as an exception. Each
// such export runs its body through one of these guards, which turn std::bad_alloc (and
// std::length_error, a request larger than any allocation) into the function's own
// out-of-memory answer.
#pragma once

#include <new>
#include <stdexcept>

#include <windows.h>

// The general form: out_of_memory() gives the answer.
template <typename OutOfMemory, typename Body>
auto Guarded(OutOfMemory&& out_of_memory, Body&& body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return out_of_memory();
  } catch (const std::length_error&) {
    return out_of_memory();
  }
}

// COM methods and functions that return an HRESULT.
template <typename Body>
HRESULT GuardedHresult(Body&& body) noexcept {
  return Guarded([] { return E_OUTOFMEMORY; }, body);
}

// Functions that return a Win32 code, such as the Reg* functions.
template <typename Body>
LSTATUS GuardedStatus(Body&& body) noexcept {
  return Guarded([] { return static_cast<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY); }, body);
}

// Functions that return failure (0 or FALSE) and set the last error.
template <typename Result, typename Body>
Result GuardedLastError(Result failure, Body&& body) noexcept {
  return Guarded(
      [&] {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return failure;
      },
      body);
}
