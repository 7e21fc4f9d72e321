#include "import_run.h"

#include <memory>

#include "common/failure_pass_on.h"
#include "common/hresult_error.h"
#include "fragment/fragment_file.h"
#include "progress.h"

namespace {

// One import and what it holds: the fragment, then the policy, then the policy's registry key,
// given back in the reverse order, on success and on failure alike.
class ImportRun {
 public:
  ImportRun() = default;
  ~ImportRun() { Release(); }
  ImportRun(const ImportRun&) = delete;
  ImportRun& operator=(const ImportRun&) = delete;

  void Execute(BSTR target, BSTR source, const PolicyHalf& mapping, PolicyFinder find);
  void Release();

 private:
  void OpenFragment(BSTR source);

  std::unique_ptr<FragmentFile> fragment_;
  std::unique_ptr<PolicyObject> policy_;
  HKEY key_ = nullptr;
};

void ImportRun::Execute(BSTR target, BSTR source, const PolicyHalf& mapping, PolicyFinder find) {
  OpenFragment(source);
  FlushOutput();
  policy_ = find(target, ADsGetObject);
  if (!policy_) throw HresultError{E_POINTER};
  key_ = policy_->GetRegistryKey(mapping.section);
  if (key_ == nullptr) throw HresultError{E_POINTER};
  ThrowIfFailed(fragment_->ImportSections(key_, mapping.root_index));
  FlushOutput();
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

}  // namespace

void ImportFragment(BSTR target, BSTR source, PolicyScope scope, PolicyFinder find) {
  ImportRun run;
  PassFailuresOn([&] { run.Execute(target, source, HalfFor(scope), find); },
                 [&] { run.Release(); });
  run.Release();
}
