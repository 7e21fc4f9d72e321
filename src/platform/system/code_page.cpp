#include "code_page.h"

#include <langinfo.h>

#include <cctype>
#include <cstring>

#include <windows.h>

#include "ascii_text.h"

namespace {

// One Windows code page with the iconv name used for its explicit number and the locale codesets
// (written without case and punctuation) that select it as the ANSI code page.
struct KnownCodePage {
  UINT number;
  const char* iconv_name;
  const char* locale_codesets[4];
};

// The C/POSIX locale's 7-bit codeset counts as UTF-8: every ASCII byte means the same in both,
// and bytes above 0x7F then still round-trip instead of turning into '?'.
const KnownCodePage kKnownCodePages[] = {
    {CP_UTF8, nullptr, {"UTF8", "ANSIX341968"}},
    {932, "CP932", {"SHIFTJIS", "SJIS", "CP932", "WINDOWS31J"}},
    {936, "CP936", {"GBK", "CP936", "GB2312", "EUCCN"}},
    {949, "CP949", {"UHC", "CP949", "EUCKR"}},
    {950, "CP950", {"BIG5", "CP950", "BIG5HKSCS"}},
    {1361, "JOHAB", {"JOHAB"}},
    {54936, "GB18030", {"GB18030"}},
    {437, "CP437", {"CP437", "IBM437"}},
    {850, "CP850", {"CP850", "IBM850"}},
    {866, "CP866", {"CP866", "IBM866"}},
    {874, "CP874", {"CP874", "TIS620"}},
    {1250, "CP1250", {"CP1250"}},
    {1251, "CP1251", {"CP1251"}},
    {1252, "CP1252", {"CP1252"}},
    {1253, "CP1253", {"CP1253"}},
    {1254, "CP1254", {"CP1254"}},
    {1255, "CP1255", {"CP1255"}},
    {1256, "CP1256", {"CP1256"}},
    {1257, "CP1257", {"CP1257"}},
    {1258, "CP1258", {"CP1258"}},
    {20866, "KOI8-R", {"KOI8R"}},
    {21866, "KOI8-U", {"KOI8U"}},
    {20932, "EUC-JP", {"EUCJP"}},
    {28591, "ISO-8859-1", {"ISO88591"}},
    {28592, "ISO-8859-2", {"ISO88592"}},
    {28593, "ISO-8859-3", {"ISO88593"}},
    {28594, "ISO-8859-4", {"ISO88594"}},
    {28595, "ISO-8859-5", {"ISO88595"}},
    {28596, "ISO-8859-6", {"ISO88596"}},
    {28597, "ISO-8859-7", {"ISO88597"}},
    {28598, "ISO-8859-8", {"ISO88598"}},
    {28599, "ISO-8859-9", {"ISO88599"}},
    {28603, "ISO-8859-13", {"ISO885913"}},
    {28605, "ISO-8859-15", {"ISO885915"}},
};

// Whether the locale's codeset name is name (upper case, no punctuation) once its case and
// punctuation are set aside. Compared in place: the lookup runs inside every conversion, which
// must not fail for want of memory.
bool CodesetNameIs(const char* codeset, const char* name) {
  for (const char* p = codeset; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (!std::isalnum(c)) continue;
    if (AsciiUpper(*p) != *name) return false;
    ++name;
  }
  return *name == '\0';
}

const KnownCodePage* FindByLocaleCodeset(const char* codeset) {
  for (const KnownCodePage& page : kKnownCodePages) {
    for (const char* name : page.locale_codesets) {
      if (name != nullptr && CodesetNameIs(codeset, name)) return &page;
    }
  }
  return nullptr;
}

const KnownCodePage* FindByNumber(UINT number) {
  for (const KnownCodePage& page : kKnownCodePages) {
    if (page.number == number) return &page;
  }
  return nullptr;
}

// The locale's own codeset name converts exactly what the locale means (GB2312, EUC-KR and
// BIG5-HKSCS are narrower or wider than the Windows page they report). Shift_JIS is the exception:
// glibc reads its 0x5C and 0x7E as the yen sign and overline of JIS X 0201, where code page 932,
// which the locale reports, has the backslash and tilde that key paths and file names are written
// with, so it converts as code page 932.
const char* LocaleIconvName(const KnownCodePage& page, const char* codeset) {
  if (page.number == CP_UTF8) return nullptr;
  return page.number == 932 ? page.iconv_name : codeset;
}

// The process locale's codeset and what it maps to. Looked up on every call (the locale may
// change) but only re-resolved when the codeset name differs from the last one.
struct LocaleCodePage {
  char codeset[64] = "";
  CodePageCodec codec = {CP_UTF8, nullptr};
};

const LocaleCodePage& CurrentLocaleCodePage() {
  thread_local LocaleCodePage current;
  const char* codeset = nl_langinfo(CODESET);
  if (std::strncmp(codeset, current.codeset, sizeof current.codeset) != 0) {
    std::strncpy(current.codeset, codeset, sizeof current.codeset - 1);
    const KnownCodePage* page = FindByLocaleCodeset(codeset);
    if (page == nullptr) {
      current.codec = {0, current.codeset};
    } else {
      current.codec = {page->number, LocaleIconvName(*page, current.codeset)};
    }
  }
  return current;
}

bool IsLocaleCodePage(UINT code_page) {
  return code_page == CP_ACP || code_page == CP_OEMCP || code_page == CP_THREAD_ACP;
}

}  // namespace

bool ResolveCodePage(UINT code_page, CodePageCodec* codec) {
  if (IsLocaleCodePage(code_page)) {
    *codec = CurrentLocaleCodePage().codec;
    return true;
  }
  const KnownCodePage* page = FindByNumber(code_page);
  if (page == nullptr) return false;
  *codec = {page->number, page->iconv_name};
  return true;
}

UINT WINAPI GetACP(void) {
  return CurrentLocaleCodePage().codec.number;
}

BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
  CodePageCodec codec;
  if (!ResolveCodePage(CodePage, &codec)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  switch (codec.number) {
    case 932:
      return (TestChar >= 0x81 && TestChar <= 0x9F) || (TestChar >= 0xE0 && TestChar <= 0xFC);
    case 936:
    case 949:
    case 950:
    // GB18030's four-byte characters are lead, digit, lead, digit: read as two pairs, no pair
    // ever swallows or splits an ASCII character.
    case 54936:
      return TestChar >= 0x81 && TestChar <= 0xFE;
    case 1361:
      return (TestChar >= 0x84 && TestChar <= 0xD3) || (TestChar >= 0xD8 && TestChar <= 0xDE) ||
             (TestChar >= 0xE0 && TestChar <= 0xF9);
    default:
      return FALSE;
  }
}

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) {
  return IsDBCSLeadByteEx(CP_ACP, TestChar);
}
