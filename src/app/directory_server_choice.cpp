#include "directory_server_choice.h"

// The network management headers use the types windows.h defines.
#include <windows.h>
#include <dsgetdc.h>
#include <lmcons.h>
#include <lmapibuf.h>

#include <cstdio>
#include <memory>

#include "common/directory_server.h"
#include "common/hresult_error.h"

namespace {

struct NetApiBufferRelease {
  void operator()(void* buffer) const { NetApiBufferFree(buffer); }
};

// Names the server, replacing whatever was chosen before.
void ChooseDirectoryServer(const char* name) {
  DirectoryServer.reset();
  DirectoryServer.reset(AnsiToBstrOrThrow(name));
}

}  // namespace

void UseLocalDirectoryServer() {
  char name[20] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) {
    std::printf("Unable to get local computer name, using global AD\n");
    return;
  }
  ChooseDirectoryServer(name);
}

void UsePdcEmulator() {
  PDOMAIN_CONTROLLER_INFOA info = nullptr;
  const DWORD status =
      DsGetDcNameA(nullptr, nullptr, nullptr, nullptr, DS_PDC_REQUIRED | DS_RETURN_DNS_NAME, &info);
  std::unique_ptr<DOMAIN_CONTROLLER_INFOA, NetApiBufferRelease> held(info);
  if (status == ERROR_NOT_ENOUGH_MEMORY) throw HresultError{HRESULT_FROM_WIN32(status)};
  if (status != ERROR_SUCCESS || info == nullptr || info->DomainControllerName == nullptr) {
    std::printf("Unable to locate the PDC emulator, using global AD\n");
    return;
  }
  // The name comes as "\\dc1.example.test".
  const char* name = info->DomainControllerName;
  while (*name == '\\') ++name;
  ChooseDirectoryServer(name);
}
