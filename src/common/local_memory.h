// Owners of the LocalAlloc blocks that the entry parser hands out.
#pragma once

#include <memory>

#include <windows.h>

struct LocalFreeDeleter {
  void operator()(void* block) const { LocalFree(block); }
};

template <typename T>
using LocalPointer = std::unique_ptr<T, LocalFreeDeleter>;
