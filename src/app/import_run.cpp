#include "import_run.h"

#include <memory>
#include <vector>

#include "change_listing.h"
#include "common/failure_pass_on.h"
#include "common/hresult_error.h"
#include "fragment/fragment_file.h"
#include "policy/policy_changes.h"
#include "policy/registry_records.h"
#include "progress.h"

namespace {

// How an import ends: the policy saved, or the changes listed and nothing saved.
enum class ImportEnd { kSave, kListChanges };

// One import and what it holds: the fragment, then the policy, then the policy's registry key,
// given back in the reverse order, on success and on failure alike.
class ImportRun {
 public:
  ImportRun() = default;
  ~ImportRun() { Release(); }
  ImportRun(const ImportRun&) = delete;
  ImportRun& operator=(const ImportRun&) = delete;

  void Execute(BSTR target, BSTR source, const PolicyHalf& mapping, PolicyFinder find,
               ImportEnd end);
  void Release();

 private:
  void OpenFragment(BSTR source);

  std::unique_ptr<FragmentFile> fragment_;
  std::unique_ptr<PolicyObject> policy_;
  HKEY key_ = nullptr;
};

void ImportRun::Execute(BSTR target, BSTR source, const PolicyHalf& mapping, PolicyFinder find,
                        ImportEnd end) {
  OpenFragment(source);
  FlushOutput();
  policy_ = find(target, ADsGetObject);
  if (!policy_) throw HresultError{E_POINTER};
  key_ = policy_->GetRegistryKey(mapping.section);
  if (key_ == nullptr) throw HresultError{E_POINTER};
  std::vector<KeyRecord> before;
  if (end == ImportEnd::kListChanges) {
    before = OutOfMemoryAsHresult([&] { return ReadRegistryRecords(key_); });
  }
  ThrowIfFailed(fragment_->ImportSections(key_, mapping.root_index));
  FlushOutput();
  if (end == ImportEnd::kListChanges) {
    OutOfMemoryAsHresult([&] {
      PrintPolicyChanges(ComparePolicyRecords(before, ReadRegistryRecords(key_)),
                         RootKeyNames[mapping.root_index]);
    });
    return;
  }
  ThrowIfFailed(policy_->SaveRegistry(mapping.machine, true));
}

// A fragment that cannot be read ends the run before the directory is touched: saving the policy
// anyway would raise its version for nothing and report a mistyped path as success.
void ImportRun::OpenFragment(BSTR source) {
  fragment_ = std::make_unique<FragmentFile>(source);
  if (fragment_->OpenError() != ERROR_SUCCESS) {
    throw HresultError{HRESULT_FROM_WIN32(fragment_->OpenError())};
  }
}

void ImportRun::Release() {
  if (key_ != nullptr) RegCloseKey(key_);
  key_ = nullptr;
  policy_.reset();
  fragment_.reset();
}

void Import(BSTR target, BSTR source, PolicyScope scope, PolicyFinder find, ImportEnd end) {
  ImportRun run;
  PassFailuresOn([&] { run.Execute(target, source, HalfFor(scope), find, end); },
                 [&] { run.Release(); });
  run.Release();
}

}  // namespace

void ImportFragment(BSTR target, BSTR source, PolicyScope scope, PolicyFinder find) {
  Import(target, source, scope, find, ImportEnd::kSave);
}

void PreviewImport(BSTR target, BSTR source, PolicyScope scope, PolicyFinder find) {
  Import(target, source, scope, find, ImportEnd::kListChanges);
}
