#include "failure_report.h"

#include <cstdio>

#include <comdef.h>

#include "common/hresult_error.h"
#include "exit_status.h"

namespace {

// A failure of neither kind is described by the thread's last error: as an HRESULT when it is a
// Win32 code, as itself otherwise.
HRESULT HresultFromLastError() {
  return HRESULT_FROM_WIN32(GetLastError());
}

}  // namespace

// "occured" is the tool's own spelling, kept on purpose: scripts search the output for it.
int ReportCurrentFailure() {
  try {
    throw;
  } catch (const _com_error& error) {
    const char* message = error.ErrorMessage();
    std::printf("COM Error occured. hr=0x%08x, msg=%s\n", static_cast<unsigned>(error.Error()),
                message != nullptr ? message : "(null)");
    return ExitStatusFor(error.Error());
  } catch (const HresultError& error) {
    std::printf("Error occured. hr=0x%08x\n", static_cast<unsigned>(error.value));
    return ExitStatusFor(error.value);
  } catch (...) {
    std::printf("Unspecified error occured. hr=0x%08x\n",
                static_cast<unsigned>(HresultFromLastError()));
    return 1;
  }
}
