// The GUIDs gpedit.h declares, defined once for the platform (weakly, so a program that
// defines them itself, as Windows programs may, links too).
#include <initguid.h>

#include <gpedit.h>
