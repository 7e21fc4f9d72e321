// Runs a program as a child process for tests and collects its standard output and exit status.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
  std::string output;  // standard output, byte for byte
  int exit_status;     // -1 when the process did not exit normally
};

struct ProcessRequest {
  std::string program;
  std::vector<std::string> arguments;  // argv[0] first
  // NAME=value; nothing else is passed on but the sanitizers' options of the test itself.
  std::vector<std::string> environment;
  std::string directory;  // the child's current directory; empty for the parent's
};

ProcessResult RunProcess(const ProcessRequest& request);
