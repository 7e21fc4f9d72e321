// The group policy object class (IGroupPolicyObject) and its constants, with the names, method
// order and signatures of the Windows SDK's gpedit.h, so code using it builds for both systems.
#pragma once

#include "objbase.h"
#include "prsht.h"

// As on Windows: a declaration, or a definition when <initguid.h> came first. Definitions are
// weak, like Windows' selectany ones, so several files may define the same GUID.
#ifndef DEFINE_GUID
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) extern "C" const GUID name
#endif

DEFINE_GUID(CLSID_GroupPolicyObject, 0xea502722, 0xa23d, 0x11d1, 0xa7, 0xd3, 0x00, 0x00, 0xf8, 0x75,
            0x71, 0xe3);
DEFINE_GUID(IID_IGroupPolicyObject, 0xea502723, 0xa23d, 0x11d1, 0xa7, 0xd3, 0x00, 0x00, 0xf8, 0x75,
            0x71, 0xe3);

// The registry client extension, an initializer as in the Windows header.
// clang-format off
#define REGISTRY_EXTENSION_GUID \
  { 0x35378eac, 0x683f, 0x11d2, { 0xa8, 0x9a, 0x00, 0xc0, 0x4f, 0xbb, 0xcf, 0xa2 } }
// clang-format on

#define GPO_SECTION_ROOT 0
#define GPO_SECTION_USER 1
#define GPO_SECTION_MACHINE 2

#define GPO_OPEN_LOAD_REGISTRY 0x00000001
#define GPO_OPEN_READ_ONLY 0x00000002

#define GPO_OPTION_DISABLE_USER 0x00000001
#define GPO_OPTION_DISABLE_MACHINE 0x00000002

typedef enum _GROUP_POLICY_OBJECT_TYPE {
  GPOTypeLocal = 0,
  GPOTypeRemote,
  GPOTypeDS
} GROUP_POLICY_OBJECT_TYPE,
    *PGROUP_POLICY_OBJECT_TYPE;

struct IGroupPolicyObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE New(LPOLESTR pszDomainName, LPOLESTR pszDisplayName,
                                        DWORD dwFlags) = 0;
  virtual HRESULT STDMETHODCALLTYPE OpenDSGPO(LPOLESTR pszPath, DWORD dwFlags) = 0;
  virtual HRESULT STDMETHODCALLTYPE OpenLocalMachineGPO(DWORD dwFlags) = 0;
  virtual HRESULT STDMETHODCALLTYPE OpenRemoteMachineGPO(LPOLESTR pszComputerName,
                                                         DWORD dwFlags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Save(BOOL bMachine, BOOL bAdd, GUID* pGuidExtension,
                                         GUID* pGuid) = 0;
  virtual HRESULT STDMETHODCALLTYPE Delete() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetName(LPOLESTR pszName, int cchMaxLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDisplayName(LPOLESTR pszName, int cchMaxLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDisplayName(LPOLESTR pszName) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPath(LPOLESTR pszPath, int cchMaxPath) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDSPath(DWORD dwSection, LPOLESTR pszPath,
                                              int cchMaxPath) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFileSysPath(DWORD dwSection, LPOLESTR pszPath,
                                                   int cchMaxPath) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRegistryKey(DWORD dwSection, HKEY* hKey) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOptions(DWORD* dwOptions) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetOptions(DWORD dwOptions, DWORD dwMask) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetType(GROUP_POLICY_OBJECT_TYPE* gpoType) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMachineName(LPOLESTR pszName, int cchMaxLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPropertySheetPages(HPROPSHEETPAGE** hPages,
                                                          UINT* uPageCount) = 0;

 protected:
  ~IGroupPolicyObject() = default;
};
typedef IGroupPolicyObject* LPGROUPPOLICYOBJECT;
