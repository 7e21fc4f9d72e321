#include "command_line.h"

#include "common/ansi_text.h"
#include "common/hresult_error.h"

namespace {

constexpr int kFirstSwitch = 3;

bool IsSwitch(const char* argument, const char* name) {
  return EqualsIgnoringAsciiCase(argument, name);
}

bool HasSwitch(int argc, char* argv[], const char* name) {
  for (int i = kFirstSwitch; i < argc; ++i) {
    if (IsSwitch(argv[i], name)) return true;
  }
  return false;
}

}  // namespace

bool IsUsageRequest(int argc, char* argv[]) {
  return argc == 2 && IsSwitch(argv[1], "/?");
}

bool IsSourceAbsolute(int argc, char* argv[]) {
  return argc > kFirstSwitch && IsSwitch(argv[kFirstSwitch], "/abs");
}

PolicyScope ScopeFromSwitches(int argc, char* argv[]) {
  for (int i = kFirstSwitch; i < argc; ++i) {
    if (IsSwitch(argv[i], "/machine")) return PolicyScope::Machine;
    if (IsSwitch(argv[i], "/user")) return PolicyScope::User;
  }
  throw HresultError{E_INVALIDARG};
}

bool HasLocalSwitch(int argc, char* argv[]) {
  return HasSwitch(argc, argv, "/local");
}

bool HasExportSwitch(int argc, char* argv[]) {
  if (!HasSwitch(argc, argv, "/export")) return false;
  // Reading a policy back and trying an import on it are two runs, not one.
  if (HasWhatIfSwitch(argc, argv)) throw HresultError{E_INVALIDARG};
  return true;
}

bool HasWhatIfSwitch(int argc, char* argv[]) {
  return HasSwitch(argc, argv, "/whatif");
}
