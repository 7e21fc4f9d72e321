// The group policy object class's GUIDs: no Windows import library carries them, so a program
// that uses gpedit.h defines them once itself.
#include <windows.h>
#include <prsht.h>
#include <initguid.h>

#include <gpedit.h>
