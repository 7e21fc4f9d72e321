// The COM error class raised by the compiler's COM support.
#pragma once

#include "objbase.h"

struct IErrorInfo : IUnknown {};

class _com_error {
 public:
  explicit _com_error(HRESULT hr, IErrorInfo* perrinfo = nullptr, bool fAddRef = false);
  _com_error(const _com_error& that);
  virtual ~_com_error();
  _com_error& operator=(const _com_error& that);

  HRESULT Error() const { return m_hresult; }
  WORD WCode() const;
  IErrorInfo* ErrorInfo() const;
  // The system's text for the HRESULT, built on first request and owned by this error; the
  // "IDispatch error #n" or "Unknown error 0x..." text when the system has none.
  const char* ErrorMessage() const;

  static HRESULT WCodeToHRESULT(WORD wCode);
  static WORD HRESULTToWCode(HRESULT hr);

 private:
  HRESULT m_hresult;
  IErrorInfo* m_perrinfo;
  mutable char* m_pszMsg;
};

[[noreturn]] void _com_issue_error(HRESULT hr);
