// The registry functions, file creation, the group policy object class and the tool's fragment
// import on top of them run with each allocation in turn failing: every call must answer with its
// usual result or its out-of-memory code, and none may let an exception out. This binary replaces
// the global operator new to make that happen.
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include <gtest/gtest.h>
#include <gpedit.h>
#include <windows.h>

#include "common/bstr.h"
#include "fragment/fragment_file.h"
#include "registry/hive.h"
#include "support/scratch_folder.h"
#include "support/test_locale.h"

// The replacements below take memory with malloc and give it back with free; the compiler,
// inlining them, takes that for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

// Allocations that still succeed before the next one fails (only that one); negative: no limit.
std::atomic<long> allocations_before_failure{-1};
std::atomic<bool> failure_made{false};

}  // namespace

void* operator new(std::size_t size) {
  long before = allocations_before_failure.load();
  if (before == 0) {
    allocations_before_failure = -1;
    failure_made = true;
    throw std::bad_alloc();
  }
  if (before > 0) allocations_before_failure = before - 1;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

// The other forms go through the one above, so that sanitizers see one allocator only.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* operator new[](std::size_t size) {
  return operator new(size);
}

void operator delete(void* memory) noexcept {
  std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}

void operator delete[](void* memory) noexcept {
  std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace {

constexpr int kMaxSteps = 16;
constexpr long kThrew = 0x7EADBEEF;  // stands for a call that let an exception out

// The results of steps 0..count-1, run in order until one gives out_of_memory. With failing_at
// 0 or more, that allocation fails; *failure_made says whether the run reached it.
template <typename Step>
int RunSteps(int count, long out_of_memory, long failing_at, Step& step, long* results,
             bool* made) {
  failure_made = false;
  allocations_before_failure = failing_at;
  int done = 0;
  while (done < count) {
    long result;
    try {
      result = step(done);
    } catch (...) {
      result = kThrew;
    }
    results[done++] = result;
    if (result == out_of_memory || result == kThrew) break;
  }
  allocations_before_failure = -1;
  *made = failure_made;
  return done;
}

// Runs the steps once without a failure, then once with each allocation in turn failing until
// a run needs fewer allocations. Every step must give what it gave without the failure, or
// out_of_memory when an allocation failed. reset() puts back the state the steps start from.
template <typename Step, typename Reset>
void SweepAllocationFailures(int count, long out_of_memory, Step step, Reset reset) {
  long expected[kMaxSteps];
  long results[kMaxSteps];
  bool made = false;
  reset();
  ASSERT_EQ(RunSteps(count, out_of_memory, -1, step, expected, &made), count);
  for (long failing_at = 0;; ++failing_at) {
    reset();
    int done = RunSteps(count, out_of_memory, failing_at, step, results, &made);
    for (int i = 0; i < done; ++i) {
      ASSERT_NE(results[i], kThrew)
          << "step " << i << " threw; allocation " << failing_at << " failed";
      if (results[i] == out_of_memory && made && i == done - 1) continue;
      ASSERT_EQ(results[i], expected[i])
          << "step " << i << "; allocation " << failing_at << " failed";
    }
    if (!made) break;
  }
  reset();
}

TEST(AllocationFailureTest, RegistryFunctionsReturnNotEnoughMemory) {
  std::unique_ptr<RegistryHive> hive;
  HKEY root = nullptr;
  HKEY key = nullptr;
  HKEY opened = nullptr;
  auto close = [&] {
    for (HKEY* handle : {&root, &key, &opened}) {
      if (*handle != nullptr) RegCloseKey(*handle);
      *handle = nullptr;
    }
  };
  auto reset = [&] {
    close();
    hive = std::make_unique<RegistryHive>();
    root = hive->OpenRoot();
  };
  // Non-ASCII names and text go through the code-page conversion, ASCII ones past it.
  static const char kText[] = "caf\xc3\xa9";
  static const char kList[] = "a\0\xc3\xa9\0";
  auto step = [&](int index) -> long {
    char name[64];
    char16_t wide_name[64];
    DWORD name_size = sizeof name;
    BYTE data[64];
    DWORD data_size = sizeof data;
    switch (index) {
      case 0:
        return RegCreateKeyExA(root, "Software\\Policies\\R\xc3\xa9gion", 0, nullptr, 0,
                               KEY_ALL_ACCESS, nullptr, &key, nullptr);
      case 1:
        return RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(kText),
                              sizeof kText);
      case 2:
        return RegSetValueExA(key, "Liste \xc3\xa9", 0, REG_MULTI_SZ,
                              reinterpret_cast<const BYTE*>(kList), sizeof kList);
      case 3:
        return RegQueryValueExA(key, "liste \xc3\xa9", nullptr, nullptr, data, &data_size);
      case 4:
        return RegEnumValueA(key, 0, name, &name_size, nullptr, nullptr, data, &data_size);
      case 5:
        return RegSetValueExW(key, u"Wide \u00e9", 0, REG_EXPAND_SZ,
                              reinterpret_cast<const BYTE*>(u"%x%"), 8);
      case 6:
        return RegEnumValueW(key, 2, wide_name, &name_size, nullptr, nullptr, data, &data_size);
      case 7:
        return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr);
      case 8:
        return RegDeleteValueA(key, "liste \xc3\xa9");
      case 9:
        return RegOpenKeyExW(root, u"software\\policies", 0, KEY_READ, &opened);
      case 10:
        return RegEnumKeyExW(opened, 0, wide_name, &name_size, nullptr, nullptr, nullptr, nullptr);
      case 11:
        RegCloseKey(std::exchange(opened, nullptr));
        return RegOpenKeyExA(root, "software\\policies", 0, KEY_READ, &opened);
      case 12:
        return RegEnumKeyExA(opened, 0, name, &name_size, nullptr, nullptr, nullptr, nullptr);
      case 13:
        return RegDeleteKeyA(opened, "R\xc3\xa9gion");
      default:
        return RegCloseKey(std::exchange(opened, nullptr));
    }
  };
  SweepAllocationFailures(15, ERROR_NOT_ENOUGH_MEMORY, step, reset);
  close();
}

// A file whose handle cannot be had is not created: a later creation of the name succeeds.
TEST(AllocationFailureTest, FileCreationLeavesNoFileWithoutMemory) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string path = folder.path() + "/new.reg";
  HANDLE file = INVALID_HANDLE_VALUE;
  auto reset = [&] {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    DeleteFileA(path.c_str());
  };
  auto step = [&](int index) -> long {
    if (index == 1) return CloseHandle(std::exchange(file, INVALID_HANDLE_VALUE)) ? 0 : 1;
    file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (file != INVALID_HANDLE_VALUE) return 0;
    long error = static_cast<long>(GetLastError());
    return error == ERROR_NOT_ENOUGH_MEMORY &&
                   GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES
               ? ERROR_FILE_EXISTS
               : error;
  };
  SweepAllocationFailures(2, ERROR_NOT_ENOUGH_MEMORY, step, reset);
}

TEST(AllocationFailureTest, GroupPolicyObjectReturnsOutOfMemory) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  IGroupPolicyObject* gpo = nullptr;
  auto reset = [&] {
    if (gpo != nullptr) gpo->Release();
    gpo = nullptr;
  };
  // Nothing listens on port 1 of the loopback address: the open gets as far as connecting.
  OLECHAR path[] =
      u"LDAP://127.0.0.1:1/CN={31B2F340-016D-11D2-945F-00C04FB984F9},"
      u"CN=Policies,CN=System,DC=example,DC=test";
  GUID extension = REGISTRY_EXTENSION_GUID;
  GUID tool = extension;
  HKEY key = nullptr;
  auto step = [&](int index) -> long {
    switch (index) {
      case 0:
        return CoCreateInstance(CLSID_GroupPolicyObject, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IGroupPolicyObject, reinterpret_cast<void**>(&gpo));
      case 1:
        return gpo->OpenDSGPO(path, GPO_OPEN_LOAD_REGISTRY);
      case 2:
        return gpo->GetRegistryKey(GPO_SECTION_MACHINE, &key);
      default:
        return gpo->Save(TRUE, TRUE, &extension, &tool);
    }
  };
  SweepAllocationFailures(4, E_OUTOFMEMORY, step, reset);
  CoUninitialize();
}

// An import either stores every entry or fails as a whole with E_OUTOFMEMORY: the policy is saved
// only after a successful one, so a value dropped for want of memory would be lost silently.
TEST(AllocationFailureTest, FragmentImportStoresEverythingOrRunsOutOfMemory) {
  // In GBK, non-ASCII entries are joined through UTF-16 and converted back (BstrToAnsi).
  ScopedLocale gbk(kGbkLocale);
  ASSERT_TRUE(gbk.active());
  ScratchFolder folder;
  std::string path = folder.path() + "/fragment.reg";
  std::ofstream(path, std::ios::binary) << "REGEDIT4\n"
                                           "[HKEY_LOCAL_MACHINE\\Software\\Old]\n"
                                           "[-HKEY_LOCAL_MACHINE\\Software\\Old]\n"
                                           "[HKEY_LOCAL_MACHINE\\Software\\\xD6\xD0]\n"
                                           "\"\xD6\xD0\"=\"\xCE\xC4\\\n"
                                           "\xD7\xD6\"\n"
                                           "\"N\"=dword:0000002a\n";
  UniqueBstr wide_path(AnsiToBstr(path.c_str()));
  std::unique_ptr<FragmentFile> fragment;
  std::unique_ptr<RegistryHive> hive;
  HKEY root = nullptr;
  auto reset = [&] {
    if (root != nullptr) RegCloseKey(root);
    hive = std::make_unique<RegistryHive>();
    root = hive->OpenRoot();
    fragment = std::make_unique<FragmentFile>(wide_path.get());
  };
  // S_OK when the import's whole result is there: the key deleted, both values stored.
  auto stored = [&]() -> long {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, "Software\\Old", 0, KEY_READ, &key) == ERROR_SUCCESS) {
      RegCloseKey(key);
      return E_FAIL;
    }
    LSTATUS status = RegOpenKeyExA(root, "Software\\\xD6\xD0", 0, KEY_READ, &key);
    char text[16] = "";
    DWORD size = sizeof text;
    if (status == ERROR_SUCCESS) {
      status =
          RegQueryValueExA(key, "\xD6\xD0", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    }
    if (status == ERROR_SUCCESS) {
      status = RegQueryValueExA(key, "N", nullptr, nullptr, nullptr, nullptr);
    }
    if (key != nullptr) RegCloseKey(key);
    if (status == ERROR_NOT_ENOUGH_MEMORY) return E_OUTOFMEMORY;
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    return std::string(text) == "\xCE\xC4\xD7\xD6" ? S_OK : E_FAIL;
  };
  testing::internal::CaptureStdout();
  SweepAllocationFailures(
      2, E_OUTOFMEMORY,
      [&](int index) -> long { return index == 0 ? fragment->ImportSections(root, 0) : stored(); },
      reset);
  std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed, "") << "a refusal was printed instead of the run failing";
  fragment.reset();
  RegCloseKey(root);
}

}  // namespace
