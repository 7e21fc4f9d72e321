// The entry of regweave: reads the command line, prints the usage text, the syntax message or
// the progress lines, runs the import (its preview, or the export) and turns a failure into one
// line and the exit status.
#include <objbase.h>

#include "command_line.h"
#include "common/bstr.h"
#include "directory_server_choice.h"
#include "export_run.h"
#include "failure_report.h"
#include "import_run.h"
#include "progress.h"
#include "source_path.h"
#include "system_locale.h"
#include "usage.h"

namespace {

// COM for this thread from the start of the entry until every way out of it.
class ComSession {
 public:
  ComSession() { CoInitialize(nullptr); }  // the result is not examined
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;
  ~ComSession() { CoUninitialize(); }
};

void Run(int argc, char* argv[], UniqueBstr& target, UniqueBstr& source) {
  source.reset(AnsiToBstr(argv[2]));
  if (!IsSourceAbsolute(argc, argv)) {
    BSTR completed = CompleteSourcePath(argv[0], source.get());
    if (completed != nullptr) source.reset(completed);
  }
  target.reset(AnsiToBstr(argv[1]));
  PolicyScope scope = ScopeFromSwitches(argc, argv);
  bool exporting = HasExportSwitch(argc, argv);
  if (HasLocalSwitch(argc, argv)) {
    UseLocalDirectoryServer();
  } else {
    UsePdcEmulator();
  }
  PrintProgress(target.get(), source.get());
  if (exporting) {
    ExportPolicy(target.get(), source.get(), scope);
  } else if (HasWhatIfSwitch(argc, argv)) {
    PreviewImport(target.get(), source.get(), scope);
  } else {
    ImportFragment(target.get(), source.get(), scope);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  AdoptSystemCodePage();
  ComSession com;
  if (argc < 3) {
    if (IsUsageRequest(argc, argv)) {
      PrintUsage();
    } else {
      PrintSyntaxError();
    }
    return 0;
  }
  // Declared outside the handler's scope: both are freed after the failure line is printed.
  UniqueBstr target;
  UniqueBstr source;
  try {
    Run(argc, argv, target, source);
  } catch (...) {
    return ReportCurrentFailure();
  }
  return 0;
}
