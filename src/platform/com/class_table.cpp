// The class table and CoCreateInstance.
#include "class_table.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "apartment.h"

namespace {

struct RegisteredClass {
  CLSID clsid;
  ComClassCreator create;
};

// Function-local statics: usable from other files' static initialisers.
std::vector<RegisteredClass>& Classes() {
  static std::vector<RegisteredClass> classes;
  return classes;
}

std::mutex& ClassesMutex() {
  static std::mutex mutex;
  return mutex;
}

std::vector<RegisteredClass>::iterator FindClass(REFCLSID clsid) {
  return std::find_if(Classes().begin(), Classes().end(),
                      [&](const RegisteredClass& entry) { return entry.clsid == clsid; });
}

ComClassCreator CreatorOf(REFCLSID clsid) {
  std::lock_guard<std::mutex> lock(ClassesMutex());
  auto found = FindClass(clsid);
  return found == Classes().end() ? nullptr : found->create;
}

}  // namespace

void RegisterComClass(REFCLSID clsid, ComClassCreator create) {
  std::lock_guard<std::mutex> lock(ClassesMutex());
  auto found = FindClass(clsid);
  if (found != Classes().end()) {
    found->create = create;
  } else {
    Classes().push_back({clsid, create});
  }
}

void UnregisterComClass(REFCLSID clsid) {
  std::lock_guard<std::mutex> lock(ClassesMutex());
  auto found = FindClass(clsid);
  if (found != Classes().end()) Classes().erase(found);
}

HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext,
                                REFIID riid, LPVOID* ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!IsComInitializedOnThisThread()) return CO_E_NOTINITIALIZED;
  if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
  // Every class here lives in the process.
  if ((dwClsContext & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  ComClassCreator create = CreatorOf(rclsid);
  if (create == nullptr) return REGDB_E_CLASSNOTREG;
  HRESULT hr = create(riid, ppv);
  if (FAILED(hr)) *ppv = nullptr;
  return hr;
}
