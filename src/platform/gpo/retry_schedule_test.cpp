#include "gpo/retry_schedule.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Duration = RetrySchedule::Duration;

std::vector<long> AllPauses(RetrySchedule schedule, double spread) {
  std::vector<long> pauses;
  for (Duration pause = schedule.NextPause(spread); pause.count() != 0;
       pause = schedule.NextPause(spread)) {
    pauses.push_back(static_cast<long>(pause.count()));
  }
  return pauses;
}

TEST(RetryScheduleTest, PausesGrowToTheCapAndEndExactlyAtTheLimit) {
  struct Row {
    const char* name;
    RetrySchedule schedule;
    double spread;
    std::vector<long> expected;
  };
  const Row rows[] = {
      {"whole pauses",
       RetrySchedule(Duration(10), Duration(40), Duration(150)),
       1.0,
       {10, 20, 40, 40, 40}},
      {"shortest pauses",
       RetrySchedule(Duration(10), Duration(40), Duration(150)),
       0.0,
       {8, 15, 30, 30, 30, 30, 7}},
      {"spread beyond its range counts as its end",
       RetrySchedule(Duration(8), Duration(8), Duration(20)),
       7.5,
       {8, 8, 4}},
      {"a pause never rounds to nothing",
       RetrySchedule(Duration(1), Duration(1), Duration(3)),
       0.0,
       {1, 1, 1}},
      {"no time at all", RetrySchedule(Duration(10), Duration(10), Duration(0)), 1.0, {}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(AllPauses(row.schedule, row.spread), row.expected) << row.name;
  }
}

TEST(RetryScheduleTest, PolicyLockWaitsAMinuteInAll) {
  for (double spread : {0.0, 0.5, 1.0}) {
    std::vector<long> pauses = AllPauses(RetrySchedule::ForPolicyLock(), spread);
    ASSERT_FALSE(pauses.empty());
    EXPECT_LE(pauses.front(), 50) << spread;
    EXPECT_LE(*std::max_element(pauses.begin(), pauses.end()), 2000) << spread;
    EXPECT_EQ(std::accumulate(pauses.begin(), pauses.end(), 0L), 60000L) << spread;
  }
}

TEST(RetryScheduleTest, RetriesOnlyWhileBusy) {
  const HRESULT busy = HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
  const HRESULT denied = E_ACCESSDENIED;
  struct Row {
    const char* name;
    std::vector<HRESULT> answers;  // the attempts' results in turn; the last one repeats
    HRESULT expected;
    size_t attempts;
  };
  const Row rows[] = {
      {"free at once", {S_OK}, S_OK, 1},
      {"free after two waits", {busy, busy, S_OK}, S_OK, 3},
      {"another failure ends the wait", {busy, denied}, denied, 2},
      {"busy for good gives up after the schedule", {busy}, busy, 4},
  };
  for (const Row& row : rows) {
    size_t attempts = 0;
    std::vector<long> pauses;
    HRESULT result = RetryWhileBusy(
        busy, RetrySchedule(Duration(10), Duration(10), Duration(30)),
        [&] { return row.answers[std::min(attempts++, row.answers.size() - 1)]; },
        [] { return 1.0; }, [&](Duration pause) { pauses.push_back(long(pause.count())); });
    EXPECT_EQ(result, row.expected) << row.name;
    EXPECT_EQ(attempts, row.attempts) << row.name;
    EXPECT_EQ(pauses, std::vector<long>(row.attempts - 1, 10)) << row.name;
  }
}

}  // namespace
