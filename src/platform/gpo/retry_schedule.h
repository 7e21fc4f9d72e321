// How long a run waits for a policy that another run holds: short pauses at first, so a queue
// of runs into one policy drains quickly, growing to a cap, and a bounded wait in all, after
// which the run gives up rather than hang.
#pragma once

#include <chrono>
#include <random>
#include <thread>

#include <windows.h>

class RetrySchedule {
 public:
  using Duration = std::chrono::milliseconds;

  RetrySchedule(Duration first, Duration longest, Duration limit)
      : next_(first), longest_(longest), limit_(limit) {}

  // What an import waits for a policy: from 50 ms, doubling to 2 s, at most 60 s in all.
  // Administrators would rather wait for a busy policy than import again.
  static RetrySchedule ForPolicyLock();

  // What a save waits for a reader that has Registry.pol open without sharing its deletion, as
  // a client applying the policy may: from 20 ms, doubling to 500 ms, at most 10 s.
  static RetrySchedule ForReaders();

  // The pause before the next attempt, spread by spread (0 to 1, from a random source) between
  // three quarters and the whole of the nominal pause, so runs that collided once do not retry
  // in step. The last pause ends exactly at the limit; after it, zero: time to give up.
  Duration NextPause(double spread);

 private:
  Duration next_;
  Duration longest_;
  Duration limit_;
  Duration waited_{0};
};

// Calls attempt until it returns anything but busy or the schedule says to give up, with
// pause(duration) between calls. Returns the last attempt's result, so a run that gave up
// reports busy.
template <typename Attempt, typename Random, typename Pause>
HRESULT RetryWhileBusy(HRESULT busy, RetrySchedule schedule, Attempt attempt, Random random,
                       Pause pause) {
  for (;;) {
    HRESULT result = attempt();
    if (result != busy) return result;
    RetrySchedule::Duration wait = schedule.NextPause(random());
    if (wait.count() == 0) return result;
    pause(wait);
  }
}

// RetryWhileBusy with real pauses, each spread at random.
template <typename Attempt>
HRESULT RetryWhileBusyPausing(HRESULT busy, const RetrySchedule& schedule, Attempt attempt) {
  std::mt19937 random(std::random_device{}());
  std::uniform_real_distribution<double> spread(0.0, 1.0);
  return RetryWhileBusy(
      busy, schedule, attempt, [&] { return spread(random); },
      [](RetrySchedule::Duration pause) { std::this_thread::sleep_for(pause); });
}
