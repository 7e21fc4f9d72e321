#include "gpo/deferred_termination.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

namespace {

struct Outcome {
  bool requested_inside = false;  // what Requested() said while the object lived
  bool reached_the_end = false;   // the child lived on after the object went
  int ended_by = 0;               // the signal that ended the child, 0 when none did
};

// Runs, in a child process, a deferral during which signal_number arrives `times` times; ignored
// is a signal the child ignores beforehand, 0 for none.
Outcome RunChild(int signal_number, int times, int ignored) {
  int report[2];
  EXPECT_EQ(pipe(report), 0);
  pid_t child = fork();
  if (child == 0) {
    close(report[0]);
    if (ignored != 0) std::signal(ignored, SIG_IGN);
    char answer[2] = {'0', '0'};
    {
      DeferredTermination deferral;
      for (int i = 0; i < times; ++i) raise(signal_number);
      answer[0] = DeferredTermination::Requested() ? '1' : '0';
      (void)!write(report[1], answer, 1);
    }
    answer[1] = '1';
    (void)!write(report[1], answer + 1, 1);
    _exit(0);
  }
  close(report[1]);
  char answer[2] = {'0', '0'};
  ssize_t got = read(report[0], answer, 2);
  if (got == 1) got += read(report[0], answer + 1, 1);
  close(report[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return {answer[0] == '1', got == 2 && answer[1] == '1',
          WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

// A signal to end the process is held back while the object lives and ends the process once it
// has gone; a second one ends it at once; one the process ignores changes nothing.
TEST(DeferredTerminationTest, EndsTheProcessOnlyAfterTheStep) {
  struct Row {
    const char* name;
    int signal_number;
    int times;
    int ignored;
    Outcome expected;
  } rows[] = {
      {"interrupt", SIGINT, 1, 0, {true, false, SIGINT}},
      {"terminate", SIGTERM, 1, 0, {true, false, SIGTERM}},
      {"hang-up", SIGHUP, 1, 0, {true, false, SIGHUP}},
      {"a second interrupt", SIGINT, 2, 0, {false, false, SIGINT}},
      {"an ignored hang-up", SIGHUP, 1, SIGHUP, {false, true, 0}},
  };
  for (const Row& row : rows) {
    Outcome outcome = RunChild(row.signal_number, row.times, row.ignored);
    EXPECT_EQ(outcome.requested_inside, row.expected.requested_inside) << row.name;
    EXPECT_EQ(outcome.reached_the_end, row.expected.reached_the_end) << row.name;
    EXPECT_EQ(outcome.ended_by, row.expected.ended_by) << row.name;
  }
  EXPECT_FALSE(DeferredTermination::Requested()) << "nothing is left pending in this process";
}

}  // namespace
