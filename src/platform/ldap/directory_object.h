// The ADSI object behind an LDAP path: IADs reads the entry's attributes, IDirectorySearch
// searches the subtree below it.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <activeds.h>

#include "directory_binding.h"
#include "directory_entry.h"
#include "paged_search.h"
#include "search_column.h"

class DirectoryObject final : public IADs, public IDirectorySearch {
 public:
  // Starts with one reference, which the caller owns.
  explicit DirectoryObject(DirectoryBinding binding);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // A single-valued attribute as VT_BSTR, from the entry read once on first use.
  // E_ADS_PROPERTY_NOT_FOUND when the entry lacks it; E_ADS_CANT_CONVERT_DATATYPE when it
  // has several values, which would need an array.
  HRESULT STDMETHODCALLTYPE Get(BSTR name, VARIANT* value) override;

  HRESULT STDMETHODCALLTYPE ExecuteSearch(LPWSTR filter, LPWSTR* attribute_names,
                                          DWORD attribute_count,
                                          PADS_SEARCH_HANDLE search) override;
  HRESULT STDMETHODCALLTYPE GetNextRow(ADS_SEARCH_HANDLE search) override;
  HRESULT STDMETHODCALLTYPE GetColumn(ADS_SEARCH_HANDLE search, LPWSTR column_name,
                                      PADS_SEARCH_COLUMN column) override;
  HRESULT STDMETHODCALLTYPE FreeColumn(PADS_SEARCH_COLUMN column) override;
  HRESULT STDMETHODCALLTYPE CloseSearchHandle(ADS_SEARCH_HANDLE search) override;

 private:
  ~DirectoryObject();
  HRESULT ReadProperties();
  PagedSearch* FindSearch(ADS_SEARCH_HANDLE search);

  std::atomic<ULONG> references_{1};
  DirectoryBinding binding_;
  std::optional<DirectoryEntry> properties_;
  std::map<ADS_SEARCH_HANDLE, std::unique_ptr<PagedSearch>> searches_;
  ColumnStore columns_;
};
