#include "gpo/retry_schedule.h"

#include <algorithm>
#include <cmath>

RetrySchedule RetrySchedule::ForPolicyLock() {
  return RetrySchedule(Duration(50), Duration(2000), Duration(60000));
}

RetrySchedule RetrySchedule::ForReaders() {
  return RetrySchedule(Duration(20), Duration(500), Duration(10000));
}

RetrySchedule::Duration RetrySchedule::NextPause(double spread) {
  spread = std::clamp(spread, 0.0, 1.0);
  Duration pause(std::llround(static_cast<double>(next_.count()) * (0.75 + spread / 4)));
  const Duration left = limit_ - waited_;
  if (left <= Duration(0)) return Duration(0);
  // The last pause takes only what is left of the limit.
  pause = std::min(std::max(pause, Duration(1)), left);
  waited_ += pause;
  next_ = std::min(next_ * 2, longest_);
  return pause;
}
