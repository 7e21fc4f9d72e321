#include "directory_server_choice.h"

#include <cstdio>

#include "common/directory_server.h"

void UseLocalDirectoryServer() {
  char name[20] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) {
    std::printf("Unable to get local computer name, using global AD\n");
    return;
  }
  DirectoryServer.reset();
  DirectoryServer.reset(AnsiToBstrOrThrow(name));
}
