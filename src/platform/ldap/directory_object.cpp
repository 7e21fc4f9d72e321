#include "directory_object.h"

#include <string_view>

#include "directory_text.h"
#include "system/guarded.h"

namespace {

// The caller's string up to its terminator, like ADSI, which never reads a BSTR's length.
std::u16string_view Text(const OLECHAR* text) {
  return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

HRESULT AttributeNames(LPWSTR* names, DWORD count,
                       std::optional<std::vector<std::string>>* attributes) {
  if (names == nullptr || count == static_cast<DWORD>(-1)) {
    attributes->reset();
    return S_OK;
  }
  attributes->emplace();
  for (DWORD i = 0; i < count; ++i) {
    std::string name;
    if (Text(names[i]).empty() || !Utf8FromOle(Text(names[i]), &name)) return E_ADS_BAD_PARAMETER;
    (*attributes)->push_back(std::move(name));
  }
  return S_OK;
}

}  // namespace

DirectoryObject::DirectoryObject(DirectoryBinding binding) : binding_(std::move(binding)) {}

DirectoryObject::~DirectoryObject() = default;

HRESULT DirectoryObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IADs) {
    *object = static_cast<IADs*>(this);
  } else if (riid == IID_IDirectorySearch) {
    *object = static_cast<IDirectorySearch*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG DirectoryObject::AddRef() {
  return ++references_;
}

ULONG DirectoryObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT DirectoryObject::ReadProperties() {
  if (properties_) return S_OK;
  if (binding_.entry) {
    properties_ = std::move(binding_.entry);
    return S_OK;
  }
  DirectoryEntry entry;
  HRESULT hr = binding_.connection->Check(
      ReadEntry(binding_.connection->handle(), binding_.dn, nullptr, &entry));
  if (FAILED(hr)) return hr;
  properties_ = std::move(entry);
  return S_OK;
}

HRESULT DirectoryObject::Get(BSTR name, VARIANT* value) {
  return GuardedHresult([&] {
    std::string attribute;
    if (value == nullptr || Text(name).empty() || !Utf8FromOle(Text(name), &attribute)) {
      return E_ADS_BAD_PARAMETER;
    }
    HRESULT hr = ReadProperties();
    if (FAILED(hr)) return hr;
    const DirectoryAttribute* found = properties_->Find(attribute);
    if (found == nullptr || found->values.empty()) return E_ADS_PROPERTY_NOT_FOUND;
    if (found->values.size() > 1) return E_ADS_CANT_CONVERT_DATATYPE;
    std::u16string text = OleFromDirectory(found->values[0]);
    if (text.size() > 0x7FFFFFFF / sizeof(OLECHAR)) return E_OUTOFMEMORY;
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (copy == nullptr) return E_OUTOFMEMORY;
    VariantInit(value);
    value->vt = VT_BSTR;
    value->bstrVal = copy;
    return S_OK;
  });
}

HRESULT DirectoryObject::ExecuteSearch(LPWSTR filter, LPWSTR* attribute_names,
                                       DWORD attribute_count, PADS_SEARCH_HANDLE search) {
  return GuardedHresult([&] {
    if (search == nullptr) return E_ADS_BAD_PARAMETER;
    *search = nullptr;
    std::string filter_text = "(objectClass=*)";
    if (!Text(filter).empty() && !Utf8FromOle(Text(filter), &filter_text)) {
      return E_ADS_INVALID_FILTER;
    }
    std::optional<std::vector<std::string>> attributes;
    HRESULT hr = AttributeNames(attribute_names, attribute_count, &attributes);
    if (FAILED(hr)) return hr;
    auto started = std::make_unique<PagedSearch>(binding_.connection, binding_.dn,
                                                 std::move(filter_text), std::move(attributes));
    hr = started->Start();
    if (hr == HRESULT_FROM_WIN32(ERROR_DS_FILTER_UNKNOWN)) return E_ADS_INVALID_FILTER;
    if (FAILED(hr)) return hr;
    *search = started.get();
    searches_[started.get()] = std::move(started);
    return S_OK;
  });
}

PagedSearch* DirectoryObject::FindSearch(ADS_SEARCH_HANDLE search) {
  auto found = searches_.find(search);
  return found == searches_.end() ? nullptr : found->second.get();
}

HRESULT DirectoryObject::GetNextRow(ADS_SEARCH_HANDLE search) {
  return GuardedHresult([&] {
    PagedSearch* found = FindSearch(search);
    return found == nullptr ? E_ADS_BAD_PARAMETER : found->Next();
  });
}

HRESULT DirectoryObject::GetColumn(ADS_SEARCH_HANDLE search, LPWSTR column_name,
                                   PADS_SEARCH_COLUMN column) {
  return GuardedHresult([&] {
    if (column == nullptr) return E_ADS_BAD_PARAMETER;
    ClearColumn(column);
    PagedSearch* found = FindSearch(search);
    std::string name;
    if (found == nullptr || found->current() == nullptr || Text(column_name).empty() ||
        !Utf8FromOle(Text(column_name), &name)) {
      return E_ADS_BAD_PARAMETER;
    }
    std::vector<std::string> values =
        ColumnValues(*found->current(), name, found->Requested("distinguishedName"));
    if (values.empty()) return E_ADS_COLUMN_NOT_SET;
    columns_.Fill(Text(column_name), ColumnType(name), values, column);
    return S_OK;
  });
}

HRESULT DirectoryObject::FreeColumn(PADS_SEARCH_COLUMN column) {
  return column != nullptr && columns_.Free(column) ? S_OK : E_ADS_BAD_PARAMETER;
}

HRESULT DirectoryObject::CloseSearchHandle(ADS_SEARCH_HANDLE search) {
  return searches_.erase(search) == 1 ? S_OK : E_ADS_BAD_PARAMETER;
}
