#include "gpo/policy_store.h"

#include "gpo/extension_names.h"
#include "gpo/gpt_ini.h"
#include "gpo/policy_version.h"
#include "gpo/sysvol_path.h"

namespace {

constexpr char kRegistryPolName[] = "Registry.pol";
constexpr char kGptIniName[] = "GPT.INI";
// How often the directory change starts again from a container that other writers keep changing
// before the save gives up, its files ahead of the directory until the next save.
constexpr int kDirectoryAttempts = 5;

}  // namespace

HRESULT PolicyStore::Open(const OLECHAR* ads_path, bool load_registry, bool hold,
                          const RetrySchedule& wait, std::unique_ptr<PolicyStore>* store) {
  std::unique_ptr<PolicyStore> opened(new PolicyStore);
  HRESULT result = PolicyContainer::Open(ads_path, &opened->container_);
  std::string url;
  if (SUCCEEDED(result)) {
    result = SysvolFolderUrl(opened->container_->file_sys_path(), opened->container_->host(), &url);
  }
  if (SUCCEEDED(result)) result = SmbSession::Create(&opened->session_);
  if (FAILED(result)) return result;
  opened->folder_ = std::make_unique<PolicyFolder>(opened->session_.get(), url);
  if (hold) {
    result = opened->Hold(wait);
    // A user who may read the policy but not change it still opens it, as before any hold;
    // the save is what refuses them.
    if (result == E_ACCESSDENIED) {
      opened->hold_refusal_ = result;
    } else if (FAILED(result)) {
      return result;
    }
  }
  if (load_registry) {
    result = opened->LoadHalf("Machine", &opened->machine_);
    if (SUCCEEDED(result)) result = opened->LoadHalf("User", &opened->user_);
    if (FAILED(result)) return result;
  }
  *store = std::move(opened);
  return S_OK;
}

PolicyStore::~PolicyStore() {
  if (created_gpt_ini_url_.empty()) return;
  held_gpt_ini_.reset();
  session_->RemoveQuietly(created_gpt_ini_url_);
}

HRESULT PolicyStore::Hold(const RetrySchedule& wait) {
  return RetryWhileBusyPausing(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), wait, [&] {
    return folder_->HoldFile(kGptIniName, &gpt_ini_, &held_gpt_ini_, &created_gpt_ini_url_);
  });
}

HRESULT PolicyStore::LoadHalf(const char* folder_name, Half* half) {
  HRESULT result = folder_->ReadFile(folder_name, kRegistryPolName, &half->file);
  if (FAILED(result)) return result;
  std::string& bytes = half->file.contents;
  if (half->file.exists) {
    result =
        RegistryHive::Load(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), &half->hive);
  } else {
    half->hive = std::make_unique<RegistryHive>();
  }
  std::string().swap(bytes);
  return result;
}

HRESULT PolicyStore::OpenRegistryRoot(bool machine, HKEY* key) const {
  const Half& half = machine ? machine_ : user_;
  if (!half.hive) return E_FAIL;
  *key = half.hive->OpenRoot();
  return *key != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT PolicyStore::Save(bool machine, bool add, const GUID& extension, const GUID& tool) {
  Half& half = machine ? machine_ : user_;
  if (FAILED(hold_refusal_)) return hold_refusal_;
  if (!half.hive || !held_gpt_ini_) return E_FAIL;
  if (!termination_) termination_.emplace();

  // The container as read at the open: other tools may change it meanwhile and do not take the
  // hold, so the directory change at the end holds only if it is still so, and otherwise starts
  // again from what the directory holds then; what they wrote is merged into, not overwritten.
  DWORD file_version = 0;
  HRESULT result = ReadGptIniVersion(gpt_ini_, &file_version);
  DirectoryChange change;
  if (SUCCEEDED(result))
    result = PlanDirectoryChange(machine, add, extension, tool, file_version, &change);
  if (FAILED(result)) return result;

  result = folder_->ReplaceFile(&half.file, half.hive->Save());
  if (SUCCEEDED(result)) result = RewriteGptIni(change.version);
  for (int attempt = 1; SUCCEEDED(result); ++attempt) {
    result = container_->Update(change.version, machine, change.names);
    if (!PolicyContainer::ChangedMeanwhile(result) || attempt == kDirectoryAttempts) break;
    const DWORD written = change.version;
    result = container_->Refresh();
    if (SUCCEEDED(result)) {
      result = PlanDirectoryChange(machine, add, extension, tool, file_version, &change);
    }
    if (SUCCEEDED(result) && change.version != written) result = RewriteGptIni(change.version);
  }
  return result;
}

// Refused here, the save changes nothing; refused by the directory change at the end, it would
// leave the files ahead of the directory.
HRESULT PolicyStore::PlanDirectoryChange(bool machine, bool add, const GUID& extension,
                                         const GUID& tool, DWORD file_version,
                                         DirectoryChange* change) const {
  if (!container_->MayUpdate(machine)) return E_ACCESSDENIED;
  HRESULT result = MergeExtensionNames(container_->extension_names(machine), extension, tool, add,
                                       &change->names);
  if (FAILED(result)) return result;
  change->version = RaisePolicyVersion(file_version, container_->version(), machine);
  return S_OK;
}

HRESULT PolicyStore::RewriteGptIni(DWORD version) {
  std::string gpt_ini = RewriteGptIniVersion(gpt_ini_, version);
  HRESULT result = held_gpt_ini_->Rewrite(gpt_ini);
  if (FAILED(result)) return result;
  created_gpt_ini_url_.clear();
  gpt_ini_ = std::move(gpt_ini);
  return S_OK;
}
