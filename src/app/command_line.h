// The switches of the command line. Arguments are 8-bit text in the ANSI code page; a switch
// matches the whole argument, ASCII letters in any case, multibyte-aware. argv[0] is the program
// path, argv[1] the target, argv[2] the source; switches follow from argv[3].
#pragma once

#include "common/policy_scope.h"

// "/?" as the only argument.
bool IsUsageRequest(int argc, char* argv[]);

// "/abs" exactly as argument 3: the source is used as typed.
bool IsSourceAbsolute(int argc, char* argv[]);

// The first "/machine" or "/user" from argument 3 on; raises HresultError E_INVALIDARG when
// there is neither.
PolicyScope ScopeFromSwitches(int argc, char* argv[]);

// "/local" anywhere from argument 3 on.
bool HasLocalSwitch(int argc, char* argv[]);

// "/export" anywhere from argument 3 on: the policy is read back into the file instead of a
// fragment imported from it. Raises HresultError E_INVALIDARG when "/whatif" stands beside it.
bool HasExportSwitch(int argc, char* argv[]);

// "/whatif" anywhere from argument 3 on: the import lists what it would change and saves nothing.
bool HasWhatIfSwitch(int argc, char* argv[]);
