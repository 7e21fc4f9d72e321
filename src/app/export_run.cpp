#include "export_run.h"

#include <memory>
#include <new>

#include "common/failure_pass_on.h"
#include "common/hresult_error.h"
#include "fragment/fragment_file.h"
#include "fragment/fragment_text.h"
#include "fragment/new_file.h"
#include "policy/registry_records.h"
#include "progress.h"

namespace {

// One export and what it holds: the new file, then the policy, then the half's registry key,
// given back in the reverse order, on success and on failure alike. The policy is never saved.
class ExportRun {
 public:
  ExportRun() = default;
  ~ExportRun() { Release(); }
  ExportRun(const ExportRun&) = delete;
  ExportRun& operator=(const ExportRun&) = delete;

  void Execute(BSTR target, BSTR path, const PolicyHalf& half, PolicyFinder find);
  void Release();

 private:
  std::unique_ptr<NewFile> file_;
  std::unique_ptr<PolicyObject> policy_;
  HKEY key_ = nullptr;
};

// The file is made before the directory is reached: a taken name or a folder that cannot be
// written ends the run before any work is done for nothing.
void ExportRun::Execute(BSTR target, BSTR path, const PolicyHalf& half, PolicyFinder find) {
  file_ = std::make_unique<NewFile>(path);
  FlushOutput();
  policy_ = find(target, ADsGetObject);
  if (!policy_) throw HresultError{E_POINTER};
  key_ = policy_->GetRegistryKey(half.section);
  if (key_ == nullptr) throw HresultError{E_POINTER};
  LSTATUS left_out = ERROR_SUCCESS;
  WideText text = FragmentText(ReadRegistryRecords(key_), RootKeyNames[half.root_index], &left_out);
  file_->Commit(Utf16LeWithBom(text));
  if (left_out != ERROR_SUCCESS) throw HresultError{HRESULT_FROM_WIN32(left_out)};
}

void ExportRun::Release() {
  if (key_ != nullptr) RegCloseKey(key_);
  key_ = nullptr;
  policy_.reset();
  file_.reset();
}

}  // namespace

void ExportPolicy(BSTR target, BSTR path, PolicyScope scope, PolicyFinder find) {
  ExportRun run;
  PassFailuresOn(
      [&] { OutOfMemoryAsHresult([&] { run.Execute(target, path, HalfFor(scope), find); }); },
      [&] { run.Release(); });
  run.Release();
}
