// Holds back the signals that ask the process to end (SIGINT, SIGTERM, SIGHUP) while a step runs
// that must not be cut short, such as a save that would otherwise leave a temporary file on the
// server or the policy's files ahead of its directory object. While the object lives the first
// such signal is only remembered, and Requested() tells the step to wind up where it can; a second
// one ends the process at once, for a step that hangs. When the object goes, the earlier handlers
// come back and a remembered signal is raised again, so the process ends as it would have, only
// after the step. A signal the process ignores stays ignored.
#pragma once

#include <signal.h>

class DeferredTermination {
 public:
  DeferredTermination();
  ~DeferredTermination();
  DeferredTermination(const DeferredTermination&) = delete;
  DeferredTermination& operator=(const DeferredTermination&) = delete;

  // Whether a signal to end the process came while an object of this class lived.
  static bool Requested();

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction earlier_[sizeof kSignals / sizeof kSignals[0]];
};
