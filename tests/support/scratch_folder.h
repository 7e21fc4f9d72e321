// Scratch folders for tests: a fresh empty folder under the temporary folder, removed with
// everything in it when the test is done. Both builds.
#pragma once

#include <string>

class ScratchFolder {
 public:
  ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();

  // The folder's absolute path, in the platform's spelling; empty when it could not be made.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A scratch folder made the current directory for the length of a test; afterwards the
// previous current directory comes back before the folder goes.
class ScratchCurrentDirectory {
 public:
  ScratchCurrentDirectory();
  ScratchCurrentDirectory(const ScratchCurrentDirectory&) = delete;
  ScratchCurrentDirectory& operator=(const ScratchCurrentDirectory&) = delete;
  ~ScratchCurrentDirectory();

  // Empty when the folder could not be made or entered.
  const std::string& path() const { return entered_; }

 private:
  std::string previous_;
  ScratchFolder folder_;
  std::string entered_;
};
