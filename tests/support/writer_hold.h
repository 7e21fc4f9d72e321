// Another program's hold on a file, for tests of how a fragment is kept from writers: on Linux
// an exclusive flock (only writers that lock are kept out there), on Windows an open for writing
// that shares reading and writing.
#pragma once

#include <string>

// Whether a writer would be kept out of the file now.
bool HeldAgainstWriters(const std::string& path);

// Holds the file open as a writer while it lives.
class WriterHold {
 public:
  explicit WriterHold(const std::string& path);
  WriterHold(const WriterHold&) = delete;
  WriterHold& operator=(const WriterHold&) = delete;
  ~WriterHold();

  bool holding() const { return holding_; }

 private:
  void* handle_ = nullptr;
  int descriptor_ = -1;
  bool holding_ = false;
};
