#include "import_run.h"

#include <gtest/gtest.h>

#include <comdef.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/bstr.h"
#include "common/hresult_error.h"
#include "support/fake_group_policy_object.h"
#include "support/registry_root.h"
#include "support/scratch_folder.h"
#include "support/writer_hold.h"

namespace {

// How the lookup below answers, and what it was asked.
struct LookupScript {
  enum Answer { kFound, kNone, kHresultError, kComError } answer = kFound;
  HRESULT failure = S_OK;
  std::vector<std::string> targets;
} lookup;

// The lookup the run is handed: it meets the fake group policy object class instead of a
// directory.
std::unique_ptr<PolicyObject> FindScriptedPolicy(BSTR display_name, DirectoryBinder) {
  lookup.targets.push_back(Narrow(display_name));
  switch (lookup.answer) {
    case LookupScript::kNone:
      return nullptr;
    case LookupScript::kHresultError:
      throw HresultError{lookup.failure};
    case LookupScript::kComError:
      throw _com_error(lookup.failure);
    case LookupScript::kFound:
      break;
  }
  return std::make_unique<PolicyObject>(OLESTR("CN={1},CN=Policies,DC=x"));
}

namespace fs = std::filesystem;

const char kBothRoots[] =
    "[HKEY_LOCAL_MACHINE\\Software\\Policies\\T]\n\"M\"=\"machine\"\n"
    "[HKEY_CURRENT_USER\\Software\\Policies\\T]\n\"U\"=\"user\"\n";
const char kOpened[] = "OpenDSGPO LDAP://CN={1},CN=Policies,DC=x 1";

// What a run raised: its kind and HRESULT.
struct Outcome {
  enum Kind { kNothing, kHresultError, kComError } kind = kNothing;
  HRESULT hr = S_OK;
};

class ImportRunTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    lookup = LookupScript();
    ASSERT_FALSE(scratch_.path().empty());
    folder_ = scratch_.path();
    fragment_ = folder_ / "f.reg";
    WriteFragment(kBothRoots);
    HandOutRootOf(hive_);
  }
  void TearDown() override {
    RegCloseKey(fake_.key);  // in case no run closed it; a closed handle stays invalid
    CoUninitialize();
  }

  void WriteFragment(const char* text) { std::ofstream(fragment_) << text; }

  // Makes the fake policy hand out a new handle to the hive's root, closing the previous one.
  void HandOutRootOf(const ScratchRegistryRoot& root) {
    RegCloseKey(fake_.key);
    fake_.key = root.Open();
  }

  Outcome Run(PolicyScope scope, const fs::path& source) {
    UniqueBstr target(SysAllocString(OLESTR("Kiosk")));
    UniqueBstr path(AnsiToBstr(source.string().c_str()));
    try {
      ImportFragment(target.get(), path.get(), scope, &FindScriptedPolicy);
    } catch (const HresultError& error) {
      return {Outcome::kHresultError, error.value};
    } catch (const _com_error& error) {
      return {Outcome::kComError, error.Error()};
    }
    return {};
  }
  Outcome Run(PolicyScope scope) { return Run(scope, fragment_); }

  // The value name's string below Software\Policies\T of the root, or "" when there is none.
  static std::string Written(const ScratchRegistryRoot& policy_root, const char* name) {
    HKEY root = policy_root.Open();
    HKEY key = nullptr;
    char data[64] = {};
    DWORD size = sizeof(data);
    if (RegOpenKeyExA(root, "Software\\Policies\\T", 0, KEY_READ, &key) == ERROR_SUCCESS) {
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
      RegCloseKey(key);
    }
    RegCloseKey(root);
    return data;
  }

  bool KeyClosed() {
    return RegQueryValueExA(fake_.key, "x", nullptr, nullptr, nullptr, nullptr) ==
           ERROR_INVALID_HANDLE;
  }

  // Whether the run still holds the fragment against writers.
  bool FragmentHeld() { return HeldAgainstWriters(fragment_.string()); }

  ScratchFolder scratch_;
  fs::path folder_;
  fs::path fragment_;
  ScratchRegistryRoot hive_;
  FakeGroupPolicyObject fake_;
};

TEST_F(ImportRunTest, TheScopeChoosesTheHalfTheRootAndTheSave) {
  struct Row {
    PolicyScope scope;
    const char* key_call;
    const char* save_call;
    const char* written;
    const char* passed_over;
  } rows[] = {
      {PolicyScope::Machine, "GetRegistryKey 2", "Save 1 1", "M", "U"},
      {PolicyScope::User, "GetRegistryKey 1", "Save 0 1", "U", "M"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key_call);
    ScratchRegistryRoot hive;
    HandOutRootOf(hive);
    fake_.calls.clear();
    EXPECT_EQ(Run(row.scope).kind, Outcome::kNothing);
    EXPECT_EQ(fake_.calls, (std::vector<std::string>{kOpened, row.key_call, row.save_call}));
    EXPECT_NE(Written(hive, row.written), "");
    EXPECT_EQ(Written(hive, row.passed_over), "");
    EXPECT_TRUE(KeyClosed());
    EXPECT_EQ(fake_.references, 0);
    EXPECT_FALSE(FragmentHeld());
  }
  EXPECT_EQ(lookup.targets, (std::vector<std::string>{"Kiosk", "Kiosk"}));
}

TEST_F(ImportRunTest, APolicyIsSavedEvenWhenNothingInTheFragmentWasForItsHalf) {
  WriteFragment("[HKEY_CURRENT_USER\\Software\\Policies\\T]\n\"U\"=\"user\"\n");
  EXPECT_EQ(Run(PolicyScope::Machine).kind, Outcome::kNothing);
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{kOpened, "GetRegistryKey 2", "Save 1 1"}));
  EXPECT_EQ(Written(hive_, "U"), "");
}

TEST_F(ImportRunTest, APreviewListsTheChangesAndSavesNothing) {
  UniqueBstr target(SysAllocString(OLESTR("Kiosk")));
  UniqueBstr path(AnsiToBstr(fragment_.string().c_str()));
  testing::internal::CaptureStdout();
  PreviewImport(target.get(), path.get(), PolicyScope::User, &FindScriptedPolicy);
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Would add     [HKEY_CURRENT_USER\\Software\\Policies\\T] \"U\"=\"user\"\n"
            "1 to add, 0 to change, 0 to remove, 0 unchanged.\n"
            "Nothing was saved (/whatif).\n");
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{kOpened, "GetRegistryKey 1"}));
  EXPECT_TRUE(KeyClosed());
  EXPECT_EQ(fake_.references, 0);
}

TEST_F(ImportRunTest, AFragmentThatCannotBeOpenedStopsTheRunBeforeTheDirectory) {
  fs::create_directories(folder_ / "folder.reg");
  struct Row {
    const char* name;
    fs::path source;
    HRESULT raised;
  } rows[] = {
      {"missing", folder_ / "missing.reg", HRESULT(0x80070002)},
      {"a folder", folder_ / "folder.reg", HRESULT(0x80070005)},
  };
  for (const Row& row : rows) {
    Outcome outcome = Run(PolicyScope::Machine, row.source);
    EXPECT_EQ(outcome.kind, Outcome::kHresultError) << row.name;
    EXPECT_EQ(outcome.hr, row.raised) << row.name;
  }
  EXPECT_TRUE(lookup.targets.empty());
  EXPECT_TRUE(fake_.calls.empty());
}

// What the run has let go of when the policy object goes: the key must already be closed and
// the fragment must still be held, since the order is key, policy, fragment.
struct ReleaseOrder {
  bool checked = false;
  bool key_closed = false;
  bool fragment_held = false;
};

TEST_F(ImportRunTest, FailuresPassUnchangedWithEverythingReleasedInOrder) {
  struct Row {
    const char* name;
    void (*arrange)(FakeGroupPolicyObject&);
    Outcome raised;
    std::vector<std::string> calls;
  } rows[] = {
      {"no policy of that name",
       [](FakeGroupPolicyObject&) { lookup.answer = lookup.kNone; },
       {Outcome::kHresultError, E_POINTER},
       {}},
      {"directory unreachable",
       [](FakeGroupPolicyObject&) {
         lookup.answer = lookup.kHresultError;
         lookup.failure = 0x8007203A;
       },
       {Outcome::kHresultError, HRESULT(0x8007203A)},
       {}},
      {"out of memory in the lookup",
       [](FakeGroupPolicyObject&) {
         lookup.answer = lookup.kComError;
         lookup.failure = E_OUTOFMEMORY;
       },
       {Outcome::kComError, E_OUTOFMEMORY},
       {}},
      {"registry not loaded",
       [](FakeGroupPolicyObject& p) { p.key_result = E_FAIL; },
       {Outcome::kHresultError, E_FAIL},
       {kOpened, "GetRegistryKey 2"}},
      {"no registry key",
       [](FakeGroupPolicyObject& p) { p.key = nullptr; },
       {Outcome::kHresultError, E_POINTER},
       {kOpened, "GetRegistryKey 2"}},
      {"save refused",
       [](FakeGroupPolicyObject& p) { p.save_result = 0x80070005; },
       {Outcome::kHresultError, HRESULT(0x80070005)},
       {kOpened, "GetRegistryKey 2", "Save 1 1"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    lookup = LookupScript();
    fake_.calls.clear();
    fake_.key_result = S_OK;
    fake_.save_result = S_OK;
    HandOutRootOf(hive_);
    HKEY opened = fake_.key;
    row.arrange(fake_);
    HKEY key = SUCCEEDED(fake_.key_result) ? fake_.key : nullptr;  // the one the run gets
    ReleaseOrder order;
    fake_.on_last_release = [&] {
      order.checked = true;
      order.key_closed = key == nullptr || RegQueryValueExA(key, "x", nullptr, nullptr, nullptr,
                                                            nullptr) == ERROR_INVALID_HANDLE;
      order.fragment_held = FragmentHeld();
    };
    Outcome outcome = Run(PolicyScope::Machine);
    EXPECT_EQ(outcome.kind, row.raised.kind);
    EXPECT_EQ(outcome.hr, row.raised.hr);
    EXPECT_EQ(fake_.calls, row.calls);
    EXPECT_EQ(fake_.references, 0);
    EXPECT_FALSE(FragmentHeld());
    if (!row.calls.empty()) {
      EXPECT_TRUE(order.checked && order.key_closed && order.fragment_held);
    }
    fake_.key = opened;  // closed at the next row or in TearDown, unless the run had it
  }
}

}  // namespace
