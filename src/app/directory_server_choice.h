// The directory server the run writes on: the local computer's with "/local", otherwise the
// domain's PDC emulator, where the group policy tools edit, so that two edits of one policy on
// two controllers never race replication.
#pragma once

// Sets DirectoryServer to the local computer's name. When the name cannot be read, says so and
// leaves DirectoryServer empty (the domain's directory is used); raises a _com_error when the
// name cannot be converted.
void UseLocalDirectoryServer();

// Sets DirectoryServer to the DNS name of the domain's PDC emulator. When it cannot be located,
// says so and leaves DirectoryServer empty; raises HresultError when memory runs out and a
// _com_error when the name cannot be converted.
void UsePdcEmulator();
