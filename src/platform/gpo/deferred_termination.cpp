#include "gpo/deferred_termination.h"

#include <iterator>

namespace {

volatile sig_atomic_t pending_signal = 0;

void Remember(int signal_number) {
  pending_signal = signal_number;
}

}  // namespace

DeferredTermination::DeferredTermination() {
  struct sigaction remember {};
  remember.sa_handler = &Remember;
  remember.sa_flags = SA_RESETHAND;  // the next signal finds the default action
  sigemptyset(&remember.sa_mask);
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    sigaction(kSignals[i], nullptr, &earlier_[i]);
    if (earlier_[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &remember, nullptr);
  }
}

DeferredTermination::~DeferredTermination() {
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &earlier_[i], nullptr);
  const int remembered = pending_signal;
  pending_signal = 0;
  if (remembered != 0) raise(remembered);
}

bool DeferredTermination::Requested() {
  return pending_signal != 0;
}
