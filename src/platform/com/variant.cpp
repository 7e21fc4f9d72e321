// VariantInit and VariantClear: a cleared variant has released what it owned (a BSTR, an
// interface) and is VT_EMPTY.
#include <objbase.h>

namespace {

// The types this platform knows that own nothing.
bool IsPlainType(VARTYPE type) {
  switch (type) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_BOOL:
    case VT_ERROR:
      return true;
    default:
      return false;
  }
}

bool IsOwningType(VARTYPE type) {
  return type == VT_BSTR || type == VT_UNKNOWN || type == VT_DISPATCH;
}

// A reference points at storage the variant does not own; VT_BYREF | VT_VARIANT is one too.
bool IsReference(VARTYPE type) {
  if ((type & VT_BYREF) == 0 || (type & VT_ARRAY) != 0) return false;
  VARTYPE base = type & ~VARTYPE(VT_BYREF);
  return IsPlainType(base) || IsOwningType(base) || base == VT_VARIANT;
}

void Release(VARIANTARG* variant) {
  switch (variant->vt) {
    case VT_BSTR:
      SysFreeString(variant->bstrVal);
      break;
    case VT_UNKNOWN:
      if (variant->punkVal != nullptr) variant->punkVal->Release();
      break;
    case VT_DISPATCH:
      if (variant->pdispVal != nullptr) variant->pdispVal->Release();
      break;
    default:
      break;
  }
}

}  // namespace

void WINAPI VariantInit(VARIANTARG* pvarg) {
  pvarg->vt = VT_EMPTY;
  pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
}

// A type this platform does not know (arrays included: there is no SAFEARRAY here) is refused
// with DISP_E_BADVARTYPE and the variant is left as it was.
HRESULT WINAPI VariantClear(VARIANTARG* pvarg) {
  if (pvarg == nullptr) return E_INVALIDARG;
  VARTYPE type = pvarg->vt;
  if (!IsPlainType(type) && !IsOwningType(type) && !IsReference(type)) return DISP_E_BADVARTYPE;
  Release(pvarg);
  VariantInit(pvarg);
  return S_OK;
}
