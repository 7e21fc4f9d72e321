// _com_error: an HRESULT with optional error information and a message text made on request.
#include <comdef.h>

#include <cstdio>
#include <cstring>

namespace {

// HRESULTs that carry an IDispatch exception code ("wCode") in their low word.
constexpr DWORD kFirstWCodeHresult = 0x80040200;
constexpr DWORD kLastWCodeHresult = 0x8004FFFF;
constexpr SIZE_T kFallbackTextSize = 32;

void AddRefIfAny(IErrorInfo* info) {
  if (info != nullptr) info->AddRef();
}

void ReleaseIfAny(IErrorInfo* info) {
  if (info != nullptr) info->Release();
}

// Drops the final line feed of a system text, and a carriage return before it.
void TrimFinalLineBreak(char* text) {
  size_t length = std::strlen(text);
  if (length < 2 || text[length - 1] != '\n') return;
  text[--length] = '\0';
  if (text[length - 1] == '\r') text[length - 1] = '\0';
}

}  // namespace

_com_error::_com_error(HRESULT hr, IErrorInfo* perrinfo, bool fAddRef)
    : m_hresult(hr), m_perrinfo(perrinfo), m_pszMsg(nullptr) {
  if (fAddRef) AddRefIfAny(m_perrinfo);
}

_com_error::_com_error(const _com_error& that)
    : m_hresult(that.m_hresult), m_perrinfo(that.m_perrinfo), m_pszMsg(nullptr) {
  AddRefIfAny(m_perrinfo);
}

_com_error::~_com_error() {
  ReleaseIfAny(m_perrinfo);
  LocalFree(m_pszMsg);
}

_com_error& _com_error::operator=(const _com_error& that) {
  if (this == &that) return *this;
  AddRefIfAny(that.m_perrinfo);
  ReleaseIfAny(m_perrinfo);
  LocalFree(m_pszMsg);
  m_hresult = that.m_hresult;
  m_perrinfo = that.m_perrinfo;
  m_pszMsg = nullptr;
  return *this;
}

WORD _com_error::WCode() const {
  return HRESULTToWCode(m_hresult);
}

IErrorInfo* _com_error::ErrorInfo() const {
  AddRefIfAny(m_perrinfo);
  return m_perrinfo;
}

const char* _com_error::ErrorMessage() const {
  if (m_pszMsg != nullptr) return m_pszMsg;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                 static_cast<DWORD>(m_hresult), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                 reinterpret_cast<LPSTR>(&m_pszMsg), 0, nullptr);
  if (m_pszMsg != nullptr) {
    TrimFinalLineBreak(m_pszMsg);
    return m_pszMsg;
  }
  m_pszMsg = static_cast<char*>(LocalAlloc(LMEM_ZEROINIT, kFallbackTextSize));
  if (m_pszMsg == nullptr) return nullptr;
  WORD wcode = WCode();
  if (wcode != 0) {
    std::snprintf(m_pszMsg, kFallbackTextSize, "IDispatch error #%d", wcode);
  } else {
    std::snprintf(m_pszMsg, kFallbackTextSize, "Unknown error 0x%X",
                  static_cast<unsigned>(m_hresult));
  }
  return m_pszMsg;
}

HRESULT _com_error::WCodeToHRESULT(WORD wCode) {
  // Codes from 0xFE00 on would run past the range; they all map to its last value.
  return wCode >= 0xFE00 ? static_cast<HRESULT>(kLastWCodeHresult)
                         : static_cast<HRESULT>(kFirstWCodeHresult + wCode);
}

WORD _com_error::HRESULTToWCode(HRESULT hr) {
  DWORD value = static_cast<DWORD>(hr);
  return value >= kFirstWCodeHresult && value <= kLastWCodeHresult
             ? static_cast<WORD>(value - kFirstWCodeHresult)
             : 0;
}

void _com_issue_error(HRESULT hr) {
  throw _com_error(hr);
}
