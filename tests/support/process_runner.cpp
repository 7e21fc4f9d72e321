#include "process_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::vector<char*> NullTerminated(const std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (const std::string& text : strings) pointers.push_back(const_cast<char*>(text.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// The child's environment: the request's, and the sanitizer options the test runs under, so a
// sanitizer build of the program reports (and suppresses) what the test would.
std::vector<std::string> ChildEnvironment(const ProcessRequest& request) {
  std::vector<std::string> environment = request.environment;
  for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name))
      environment.push_back(std::string(name) + "=" + value);
  }
  return environment;
}

[[noreturn]] void BecomeChild(const ProcessRequest& request, int output) {
  dup2(output, STDOUT_FILENO);
  if (!request.directory.empty() && chdir(request.directory.c_str()) != 0) _exit(126);
  std::vector<char*> argv = NullTerminated(request.arguments);
  std::vector<std::string> environment = ChildEnvironment(request);
  std::vector<char*> envp = NullTerminated(environment);
  execve(request.program.c_str(), argv.data(), envp.data());
  _exit(127);
}

}  // namespace

ProcessResult RunProcess(const ProcessRequest& request) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return {"", -1};
  pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    BecomeChild(request, pipe_ends[1]);
  }
  close(pipe_ends[1]);
  ProcessResult result{"", -1};
  char buffer[4096];
  ssize_t count;
  while ((count = read(pipe_ends[0], buffer, sizeof buffer)) > 0) {
    result.output.append(buffer, size_t(count));
  }
  close(pipe_ends[0]);
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
  }
  return result;
}
