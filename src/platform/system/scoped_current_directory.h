// A fresh folder made the current directory for the length of a test; afterwards the previous
// current directory comes back and the folder is removed with everything in it.
#pragma once

#include <string>

class ScopedCurrentDirectory {
 public:
  ScopedCurrentDirectory();
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;
  ~ScopedCurrentDirectory();

  // The folder's absolute path; empty when it could not be made or entered.
  const std::string& path() const { return path_; }

 private:
  std::string previous_;
  std::string path_;
};
