// The "/local" switch: the directory on the local computer becomes DirectoryServer.
#pragma once

// Sets DirectoryServer to the local computer's name. When the name cannot be read, says so and
// leaves DirectoryServer empty (the domain's directory is used); raises a _com_error when the
// name cannot be converted.
void UseLocalDirectoryServer();
