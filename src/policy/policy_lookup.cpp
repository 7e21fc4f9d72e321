#include "policy/policy_lookup.h"

#include <comdef.h>

#include <iterator>

#include "common/directory_server.h"
#include "common/failure_pass_on.h"
#include "common/hresult_error.h"
#include "policy/built_string.h"
#include "policy/com_ref.h"
#include "policy/policy_filter.h"

namespace {

const OLECHAR kRootDse[] = OLESTR("rootDSE");
const OLECHAR kNamingContextAttribute[] = OLESTR("defaultNamingContext");
const OLECHAR kDistinguishedName[] = OLESTR("distinguishedName");
// What opening and saving a policy read from its container, asked for with the name so that a
// group policy object class that can take the container from the search needs no read of its
// own (one round trip less per import).
const OLECHAR* const kSearchedAttributes[] = {kDistinguishedName,
                                              OLESTR("gPCFileSysPath"),
                                              OLESTR("versionNumber"),
                                              OLESTR("gPCMachineExtensionNames"),
                                              OLESTR("gPCUserExtensionNames"),
                                              OLESTR("allowedAttributesEffective")};

// The search interface takes names through non-const pointers; it only reads them.
LPWSTR SearchName(const OLECHAR* name) {
  return const_cast<LPWSTR>(name);
}

// One lookup and everything it holds while it runs. Run does the lookup's steps; Release lets go
// of whatever is still held, in the order the lookup's own way out would, and is what a failure
// runs before it is passed on.
class PolicyLookup {
 public:
  explicit PolicyLookup(DirectoryBinder bind) : bind_(bind) { VariantInit(&naming_context_); }
  ~PolicyLookup() { Release(); }
  PolicyLookup(const PolicyLookup&) = delete;
  PolicyLookup& operator=(const PolicyLookup&) = delete;

  std::unique_ptr<PolicyObject> Run(BSTR display_name);
  void Release();

 private:
  void ReadNamingContext();
  void StartSearch();
  std::unique_ptr<PolicyObject> OpenFirstMatch();
  std::unique_ptr<PolicyObject> OpenPolicyOfRow();
  void FreeColumn();
  void CloseSearch();

  DirectoryBinder bind_;
  UniqueBstr filter_;
  UniqueBstr path_;  // the base path, then, with the naming context appended, the domain path
  UniqueBstr root_dse_path_;
  UniqueBstr attribute_;
  ComRef<IADs> root_dse_;
  VARIANT naming_context_;
  ComRef<IDirectorySearch> search_;
  ADS_SEARCH_HANDLE results_ = nullptr;
  ADS_SEARCH_COLUMN column_{};
  bool column_held_ = false;
};

std::unique_ptr<PolicyObject> PolicyLookup::Run(BSTR display_name) {
  filter_ = PolicySearchFilter(display_name);
  path_ = OwnBuiltString(DirectoryBasePath());
  ReadNamingContext();
  StartSearch();
  std::unique_ptr<PolicyObject> policy = OpenFirstMatch();
  CloseSearch();
  HRESULT cleared = VariantClear(&naming_context_);
  if (FAILED(cleared)) throw _com_error(cleared);
  return policy;
}

void PolicyLookup::ReadNamingContext() {
  root_dse_path_ =
      OwnBuiltString(JoinBstr(path_.get(), kRootDse, static_cast<UINT>(std::size(kRootDse) - 1)));
  ThrowIfFailed(bind_(root_dse_path_.get(), IID_IADs, root_dse_.put()));
  attribute_ = OwnBuiltString(SysAllocString(kNamingContextAttribute));
  ThrowIfFailed(root_dse_->Get(attribute_.get(), &naming_context_));
  // Anything but a string here would be read as a pointer it is not.
  if (V_VT(&naming_context_) != VT_BSTR) throw HresultError{DISP_E_TYPEMISMATCH};
  path_ = OwnBuiltString(JoinBstr(path_.get(), V_BSTR(&naming_context_)));
}

void PolicyLookup::StartSearch() {
  ThrowIfFailed(bind_(path_.get(), IID_IDirectorySearch, search_.put()));
  LPWSTR attributes[std::size(kSearchedAttributes)];
  for (size_t i = 0; i < std::size(kSearchedAttributes); ++i) {
    attributes[i] = SearchName(kSearchedAttributes[i]);
  }
  ThrowIfFailed(search_->ExecuteSearch(filter_.get(), attributes,
                                       static_cast<DWORD>(std::size(attributes)), &results_));
}

// Opens the policy of the first row that names one. The next row is asked for before the result
// is looked at, so one more row is read after the match. A search that fails before a match
// (the server gone, a limit reached) is raised: it does not show that no policy has the name.
std::unique_ptr<PolicyObject> PolicyLookup::OpenFirstMatch() {
  std::unique_ptr<PolicyObject> policy;
  for (;;) {
    HRESULT row = search_->GetNextRow(results_);
    if (FAILED(row) && !policy) throw HresultError{row};
    if (row == S_ADS_NOMORE_ROWS || FAILED(row) || policy) return policy;
    column_ = ADS_SEARCH_COLUMN{};
    column_held_ = true;
    if (SUCCEEDED(search_->GetColumn(results_, SearchName(kDistinguishedName), &column_))) {
      policy = OpenPolicyOfRow();
    }
    FreeColumn();  // also when the column could not be read
  }
}

// The policy named by the first value of the row's distinguishedName column; null when the
// column holds no value, a directory answer that names no policy.
std::unique_ptr<PolicyObject> PolicyLookup::OpenPolicyOfRow() {
  if (column_.dwNumValues == 0 || column_.pADsValues == nullptr) return nullptr;
  return std::make_unique<PolicyObject>(column_.pADsValues[0].DNString);
}

void PolicyLookup::FreeColumn() {
  if (column_held_) search_->FreeColumn(&column_);  // its result changes nothing
  column_held_ = false;
}

void PolicyLookup::CloseSearch() {
  if (results_ != nullptr) search_->CloseSearchHandle(results_);  // its result changes nothing
  results_ = nullptr;
}

void PolicyLookup::Release() {
  FreeColumn();
  CloseSearch();
  VariantClear(&naming_context_);
  search_.reset();
  root_dse_.reset();
  attribute_.reset();
  root_dse_path_.reset();
  path_.reset();
  filter_.reset();
}

}  // namespace

std::unique_ptr<PolicyObject> FindPolicyByDisplayName(BSTR display_name, DirectoryBinder bind) {
  PolicyLookup lookup(bind);
  std::unique_ptr<PolicyObject> policy;
  PassFailuresOn([&] { policy = lookup.Run(display_name); }, [&] { lookup.Release(); });
  return policy;
}
