#include "usage.h"

#include <cstdio>

void PrintUsage() {
  // "Specified" on two lines is the tool's own wording, kept on purpose: scripts compare it.
  std::printf("Imports a REG fragment into a named Group Policy Object.\n\n");
  std::printf("REGWEAVE target source [/abs] /machine | /user [/local]\n\n");
  std::printf("  target    Specifies the GPO to update.\n");
  std::printf("  source    Specifies the REG fragment to use.\n");
  std::printf("  /abs      Specified the REG fragment is an absolute path.\n");
  std::printf("  /machine  Specifies that HKEY_LOCAL_MACHINE is valid.\n");
  std::printf("  /user     Specifies that HKEY_CURRENT_USER is valid.\n");
  std::printf("  /local    Specified that the AD on the local server will be used.\n");
  std::printf("  /export   Specifies that the GPO is written to source as a REG fragment.\n");
  std::printf("  /whatif   Specifies that the changes are listed and the GPO is not saved.\n");
  std::printf("\n");
  std::printf("REGWEAVE /?\n");
  std::printf("  /?        Displays usage.\n\n");
}

void PrintSyntaxError() {
  std::printf("The syntax of the command is incorrect.\n");
}
