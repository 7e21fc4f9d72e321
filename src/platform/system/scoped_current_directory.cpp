#include "scoped_current_directory.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

ScopedCurrentDirectory::ScopedCurrentDirectory() {
  char* previous = getcwd(nullptr, 0);
  if (previous != nullptr) previous_ = previous;
  std::free(previous);
  char pattern[] = "/tmp/regweave-cwd-XXXXXX";
  if (mkdtemp(pattern) != nullptr && chdir(pattern) == 0) path_ = pattern;
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
  if (!previous_.empty() && chdir(previous_.c_str()) != 0) return;
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}
