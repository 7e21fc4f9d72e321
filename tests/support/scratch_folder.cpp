#include "scratch_folder.h"

#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  if (error) return;
  // Random names, since parallel test programs share the temporary folder.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = base / ("regweave-test-" + std::to_string(random()));
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!path_.empty()) fs::remove_all(path_, ignored);
}

ScratchCurrentDirectory::ScratchCurrentDirectory() {
  std::error_code error;
  previous_ = fs::current_path(error).string();
  if (error || folder_.path().empty()) return;
  fs::current_path(folder_.path(), error);
  if (!error) entered_ = folder_.path();
}

ScratchCurrentDirectory::~ScratchCurrentDirectory() {
  std::error_code ignored;
  if (!previous_.empty()) fs::current_path(previous_, ignored);
}
