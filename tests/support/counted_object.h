// A counted COM object for tests: it records its reference count so tests can see releases.
#pragma once

#include <comdef.h>

struct CountedObject : IErrorInfo {
  ULONG references = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid != IID_IUnknown) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
};
