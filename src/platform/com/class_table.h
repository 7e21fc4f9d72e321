// The classes CoCreateInstance can create in this process. A component that implements a COM
// class (the group policy object class, for one) registers it here.
//
// How to register: call RegisterComClass(CLSID_X, &CreateX) before the first CoCreateInstance of
// the class, or define a namespace-scope `const ComClassRegistration kX(CLSID_X, &CreateX);`.
// The table is a function-local static, so registering during static initialisation is safe in
// any order. A static registration only runs when its object file is linked into the program:
// a static library's member is linked only if the program uses one of its symbols, so build the
// registering source as part of an OBJECT library, or link the library with
// $<LINK_LIBRARY:WHOLE_ARCHIVE,...>, or put the registration in a file the program needs anyway.
#pragma once

#include <objbase.h>

// Creates a new instance and stores its interface riid, with one reference, in *object. On
// failure (E_NOINTERFACE, E_OUTOFMEMORY ...) *object is left null.
typedef HRESULT (*ComClassCreator)(REFIID riid, void** object);

// Makes CoCreateInstance(clsid, ...) use create; a later registration of the same class replaces
// an earlier one.
void RegisterComClass(REFCLSID clsid, ComClassCreator create);

// Forgets a class; CoCreateInstance then fails with REGDB_E_CLASSNOTREG.
void UnregisterComClass(REFCLSID clsid);

// Registers a class during static initialisation.
struct ComClassRegistration {
  ComClassRegistration(REFCLSID clsid, ComClassCreator create) { RegisterComClass(clsid, create); }
};
