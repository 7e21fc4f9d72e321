#include "gpo/policy_store.h"

#include "gpo/extension_names.h"
#include "gpo/gpt_ini.h"
#include "gpo/policy_version.h"
#include "gpo/sysvol_path.h"

namespace {

constexpr char kRegistryPolName[] = "Registry.pol";
constexpr char kGptIniName[] = "GPT.INI";

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

  // Other tools may have changed the container while this store waited or imported, and do not
  // take the hold; what they wrote is merged into, not overwritten.
  HRESULT result = container_->Refresh();
  if (FAILED(result)) return result;
  // Refused here, the save changes nothing; refused by the directory change at the end, it
  // would leave the files ahead of the directory.
  if (!container_->MayUpdate(machine)) return E_ACCESSDENIED;
  std::string names;
  result = MergeExtensionNames(container_->extension_names(machine), extension, tool, add, &names);
  DWORD file_version = 0;
  if (SUCCEEDED(result)) result = ReadGptIniVersion(gpt_ini_, &file_version);
  if (FAILED(result)) return result;
  const DWORD version = RaisePolicyVersion(file_version, container_->version(), machine);

  result = folder_->ReplaceFile(&half.file, half.hive->Save());
  if (FAILED(result)) return result;

  std::string gpt_ini = RewriteGptIniVersion(gpt_ini_, version);
  result = held_gpt_ini_->Rewrite(gpt_ini);
  if (FAILED(result)) return result;
  created_gpt_ini_url_.clear();
  gpt_ini_ = std::move(gpt_ini);
  return container_->Update(version, machine, names);
}
