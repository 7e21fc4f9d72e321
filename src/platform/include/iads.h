// Active Directory Service Interfaces: the directory object (IADs), the directory search
// (IDirectorySearch) and the typed values a search hands out.
#pragma once

#include "objbase.h"

typedef enum {
  ADSTYPE_INVALID = 0,
  ADSTYPE_DN_STRING,
  ADSTYPE_CASE_EXACT_STRING,
  ADSTYPE_CASE_IGNORE_STRING,
  ADSTYPE_PRINTABLE_STRING,
  ADSTYPE_NUMERIC_STRING,
  ADSTYPE_BOOLEAN,
  ADSTYPE_INTEGER,
  ADSTYPE_OCTET_STRING,
} ADSTYPEENUM;
typedef ADSTYPEENUM ADSTYPE;

typedef LPWSTR ADS_DN_STRING;
typedef LPWSTR ADS_CASE_EXACT_STRING;
typedef LPWSTR ADS_CASE_IGNORE_STRING;
typedef LPWSTR ADS_PRINTABLE_STRING;
typedef LPWSTR ADS_NUMERIC_STRING;
typedef DWORD ADS_BOOLEAN;
typedef DWORD ADS_INTEGER;
typedef struct {
  DWORD dwLength;
  LPBYTE lpValue;
} ADS_OCTET_STRING;

typedef struct _adsvalue {
  ADSTYPE dwType;
  union {
    ADS_DN_STRING DNString;
    ADS_CASE_EXACT_STRING CaseExactString;
    ADS_CASE_IGNORE_STRING CaseIgnoreString;
    ADS_PRINTABLE_STRING PrintableString;
    ADS_NUMERIC_STRING NumericString;
    ADS_BOOLEAN Boolean;
    ADS_INTEGER Integer;
    ADS_OCTET_STRING OctetString;
  };
} ADSVALUE, *PADSVALUE, *LPADSVALUE;

typedef HANDLE ADS_SEARCH_HANDLE;
typedef HANDLE* PADS_SEARCH_HANDLE;

typedef struct ads_search_column {
  LPWSTR pszAttrName;
  ADSTYPE dwADsType;
  PADSVALUE pADsValues;
  DWORD dwNumValues;
  HANDLE hReserved;
} ADS_SEARCH_COLUMN, *PADS_SEARCH_COLUMN;

extern const IID IID_IADs;
extern const IID IID_IDirectorySearch;

// On Windows IADs derives from IDispatch; the tool calls only Get, so IUnknown suffices here.
struct IADs : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Get(BSTR bstrName, VARIANT* pvProp) = 0;

 protected:
  ~IADs() = default;
};

struct IDirectorySearch : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE ExecuteSearch(LPWSTR pszSearchFilter, LPWSTR* pAttributeNames,
                                                  DWORD dwNumberAttributes,
                                                  PADS_SEARCH_HANDLE phSearchResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNextRow(ADS_SEARCH_HANDLE hSearchResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetColumn(ADS_SEARCH_HANDLE hSearchResult, LPWSTR szColumnName,
                                              PADS_SEARCH_COLUMN pSearchColumn) = 0;
  virtual HRESULT STDMETHODCALLTYPE FreeColumn(PADS_SEARCH_COLUMN pSearchColumn) = 0;
  virtual HRESULT STDMETHODCALLTYPE CloseSearchHandle(ADS_SEARCH_HANDLE hSearchResult) = 0;

 protected:
  ~IDirectorySearch() = default;
};
