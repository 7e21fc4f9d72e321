// Passing a failure on through a level that holds resources (the import run, the policy lookup):
// the level releases what it holds and raises the same failure again.
#pragma once

#include <comdef.h>

#include "hresult_error.h"

// Runs body(). When it raises, runs release() (which must not raise) and raises again: a
// _com_error as a copy, an HresultError with the same value, and anything else unchanged with
// the thread's last-error value kept across the release, so the top-level report still sees it.
template <typename Body, typename Release>
void PassFailuresOn(Body&& body, Release&& release) {
  try {
    body();
  } catch (const _com_error& error) {
    release();
    throw _com_error(error);
  } catch (const HresultError& error) {
    release();
    throw HresultError{error.value};
  } catch (...) {
    DWORD last_error = GetLastError();
    release();
    SetLastError(last_error);
    throw;
  }
}
