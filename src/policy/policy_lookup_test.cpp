#include "policy/policy_lookup.h"

#include <gtest/gtest.h>

#include <comdef.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/directory_server.h"
#include "common/hresult_error.h"
#include "support/fake_group_policy_object.h"

namespace {

using OleString = std::basic_string<OLECHAR>;

const OLECHAR kNamingContext[] = OLESTR("DC=example,DC=test");
const OLECHAR kFirstPolicy[] = OLESTR("CN={1},CN=Policies,CN=System,DC=example,DC=test");
const OLECHAR kSecondPolicy[] = OLESTR("CN={2},CN=Policies,CN=System,DC=example,DC=test");

// One row of the fake search: the distinguishedName column it yields.
struct Row {
  OleString dn;
  HRESULT column_result = S_OK;
  DWORD value_count = 1;
};

// The directory as the lookup sees it: the root DSE and the domain's search, both recording
// what they are asked into one log.
struct FakeDirectory : IADs, IDirectorySearch {
  HRESULT bind_root_result = S_OK;
  HRESULT bind_domain_result = S_OK;
  HRESULT get_result = S_OK;
  VARTYPE naming_context_type = VT_BSTR;
  HRESULT execute_result = S_OK;
  std::vector<Row> rows;
  HRESULT after_last_row = S_ADS_NOMORE_ROWS;

  std::vector<std::string> log;
  LONG references = 0;
  bool handle_open = false;
  int columns_out = 0;
  size_t next_row = 0;
  ADSVALUE value{};

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }

  HRESULT STDMETHODCALLTYPE Get(BSTR name, VARIANT* property) override {
    log.push_back("Get " + Narrow(name));
    if (FAILED(get_result)) return get_result;
    V_VT(property) = naming_context_type;
    if (naming_context_type == VT_BSTR) V_BSTR(property) = SysAllocString(kNamingContext);
    if (naming_context_type == VT_I4) V_I4(property) = 7;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE ExecuteSearch(LPWSTR filter, LPWSTR* attributes, DWORD count,
                                          PADS_SEARCH_HANDLE handle) override {
    std::string entry = "ExecuteSearch " + Narrow(filter);
    for (DWORD i = 0; i < count; ++i) entry += " " + Narrow(attributes[i]);
    log.push_back(entry);
    if (FAILED(execute_result)) return execute_result;
    handle_open = true;
    *handle = this;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetNextRow(ADS_SEARCH_HANDLE) override {
    log.push_back("GetNextRow");
    if (next_row == rows.size()) return after_last_row;
    ++next_row;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetColumn(ADS_SEARCH_HANDLE, LPWSTR name,
                                      PADS_SEARCH_COLUMN column) override {
    log.push_back("GetColumn " + Narrow(name));
    ++columns_out;
    const Row& row = rows[next_row - 1];
    if (FAILED(row.column_result)) return row.column_result;
    value.dwType = ADSTYPE_DN_STRING;
    value.DNString = const_cast<LPWSTR>(row.dn.c_str());
    column->pADsValues = row.value_count > 0 ? &value : nullptr;
    column->dwNumValues = row.value_count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE FreeColumn(PADS_SEARCH_COLUMN) override {
    log.push_back("FreeColumn");
    --columns_out;
    SetLastError(ERROR_SUCCESS);  // what a release may do to the thread's last error
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CloseSearchHandle(ADS_SEARCH_HANDLE) override {
    log.push_back("CloseSearchHandle");
    handle_open = false;
    SetLastError(ERROR_SUCCESS);
    return S_OK;
  }
#ifdef _WIN32
  // The rest of Windows' interfaces, which the lookup does not call.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Class(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_GUID(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ADsPath(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Parent(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Schema(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetInfo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetInfo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Put(BSTR, VARIANT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetEx(BSTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE PutEx(long, BSTR, VARIANT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetInfoEx(VARIANT, long) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSearchPreference(PADS_SEARCHPREF_INFO, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AbandonSearch(ADS_SEARCH_HANDLE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFirstRow(ADS_SEARCH_HANDLE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPreviousRow(ADS_SEARCH_HANDLE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetNextColumnName(ADS_SEARCH_HANDLE, LPWSTR*) override {
    return E_NOTIMPL;
  }
#endif
};

FakeDirectory* directory = nullptr;

HRESULT WINAPI BindToFake(LPCWSTR path, REFIID riid, void** object) {
  directory->log.push_back("bind " + Narrow(path));
  *object = nullptr;
  if (riid == IID_IADs) {
    if (FAILED(directory->bind_root_result)) return directory->bind_root_result;
    *object = static_cast<IADs*>(directory);
  } else if (riid == IID_IDirectorySearch) {
    if (FAILED(directory->bind_domain_result)) return directory->bind_domain_result;
    *object = static_cast<IDirectorySearch*>(directory);
  } else {
    return E_NOINTERFACE;
  }
  directory->AddRef();
  return S_OK;
}

class PolicyLookupTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    directory = &fake_directory;
  }
  void TearDown() override {
    directory = nullptr;
    DirectoryServer.reset();
    CoUninitialize();
  }

  std::unique_ptr<PolicyObject> Find(const OLECHAR* name) {
    UniqueBstr display_name(SysAllocString(name));
    return FindPolicyByDisplayName(display_name.get(), &BindToFake);
  }

  // The HRESULT the lookup raised, S_OK when it raised nothing.
  HRESULT FindFailure() {
    try {
      Find(OLESTR("Kiosk"));
    } catch (const HresultError& error) {
      return error.value;
    } catch (const _com_error& error) {
      return error.Error();
    }
    return S_OK;
  }

  void ExpectNothingHeld(const std::string& when) {
    EXPECT_EQ(fake_directory.references, 0) << when;
    EXPECT_FALSE(fake_directory.handle_open) << when;
    EXPECT_EQ(fake_directory.columns_out, 0) << when;
    EXPECT_EQ(fake_policy.references, 0) << when;
  }

  FakeDirectory fake_directory;
  FakeGroupPolicyObject fake_policy;
};

TEST_F(PolicyLookupTest, OpensTheFirstMatchAfterAskingForOneMoreRow) {
  fake_directory.rows = {{kFirstPolicy}, {kSecondPolicy}};
  std::unique_ptr<PolicyObject> policy = Find(OLESTR("Kiosk (*)"));
  ASSERT_NE(policy, nullptr);
  EXPECT_EQ(fake_directory.log,
            (std::vector<std::string>{
                "bind LDAP://rootDSE",
                "Get defaultNamingContext",
                "bind LDAP://DC=example,DC=test",
                "ExecuteSearch (&(objectClass=groupPolicyContainer)(displayName=Kiosk "
                "\\28\\2a\\29)) distinguishedName gPCFileSysPath versionNumber "
                "gPCMachineExtensionNames gPCUserExtensionNames allowedAttributesEffective",
                "GetNextRow",
                "GetColumn distinguishedName",
                "FreeColumn",
                "GetNextRow",
                "CloseSearchHandle",
            }));
  EXPECT_EQ(fake_policy.calls,
            std::vector<std::string>{"OpenDSGPO LDAP://" + Narrow(kFirstPolicy) + " 1"});
  policy.reset();
  ExpectNothingHeld("after the policy is destroyed");
}

TEST_F(PolicyLookupTest, EveryPathNamesTheChosenServer) {
  struct Case {
    const OLECHAR* server;
    const char* root_dse;
    const char* domain;
    const char* policy;
  } cases[] = {
      {OLESTR(""), "LDAP://rootDSE", "LDAP://DC=example,DC=test",
       "LDAP://CN={1},CN=Policies,CN=System,DC=example,DC=test"},
      {OLESTR("dc1.example.test"), "LDAP://dc1.example.test/rootDSE",
       "LDAP://dc1.example.test/DC=example,DC=test",
       "LDAP://dc1.example.test/CN={1},CN=Policies,CN=System,DC=example,DC=test"},
  };
  for (const Case& c : cases) {
    DirectoryServer.reset(SysAllocString(c.server));
    fake_directory.log.clear();
    fake_directory.next_row = 0;
    fake_directory.rows = {{kFirstPolicy}};
    fake_policy.calls.clear();
    Find(OLESTR("Kiosk"));
    EXPECT_EQ(fake_directory.log[0], std::string("bind ") + c.root_dse) << c.root_dse;
    EXPECT_EQ(fake_directory.log[2], std::string("bind ") + c.domain) << c.root_dse;
    EXPECT_EQ(fake_policy.calls[0], std::string("OpenDSGPO ") + c.policy + " 1") << c.root_dse;
  }
}

TEST_F(PolicyLookupTest, RowsThatNameNoPolicyAreSkipped) {
  struct Case {
    const char* name;
    std::vector<Row> rows;
    HRESULT after_last_row;
    bool found;
  } cases[] = {
      {"no rows", {}, S_ADS_NOMORE_ROWS, false},
      {"unreadable column, then a match",
       {{kSecondPolicy, E_ADS_COLUMN_NOT_SET}, {kFirstPolicy}},
       S_ADS_NOMORE_ROWS,
       true},
      {"column without values", {{kFirstPolicy, S_OK, 0}}, S_ADS_NOMORE_ROWS, false},
      {"failing row after the match", {{kFirstPolicy}}, HRESULT(0x80072004), true},
  };
  for (Case& c : cases) {
    FakeDirectory fresh;
    directory = &fresh;
    fresh.rows = c.rows;
    fresh.after_last_row = c.after_last_row;
    fake_policy.calls.clear();
    std::unique_ptr<PolicyObject> policy = Find(OLESTR("Kiosk"));
    EXPECT_EQ(policy != nullptr, c.found) << c.name;
    if (c.found) {
      EXPECT_EQ(fake_policy.calls[0], "OpenDSGPO LDAP://" + Narrow(kFirstPolicy) + " 1") << c.name;
    }
    policy.reset();
    EXPECT_EQ(fresh.references, 0) << c.name;
    EXPECT_FALSE(fresh.handle_open) << c.name;
    EXPECT_EQ(fresh.columns_out, 0) << c.name;
    EXPECT_EQ(fake_policy.references, 0) << c.name;
  }
}

TEST_F(PolicyLookupTest, FailuresAreRaisedWithEverythingReleased) {
  struct Case {
    const char* name;
    std::function<void(FakeDirectory&, FakeGroupPolicyObject&)> arrange;
    HRESULT raised;
  } cases[] = {
      {"root DSE unreachable",
       [](FakeDirectory& d, FakeGroupPolicyObject&) { d.bind_root_result = 0x8007203A; },
       HRESULT(0x8007203A)},
      {"naming context unreadable",
       [](FakeDirectory& d, FakeGroupPolicyObject&) { d.get_result = E_ADS_PROPERTY_NOT_FOUND; },
       E_ADS_PROPERTY_NOT_FOUND},
      {"naming context not a string",
       [](FakeDirectory& d, FakeGroupPolicyObject&) { d.naming_context_type = VT_I4; },
       DISP_E_TYPEMISMATCH},
      {"domain unreachable",
       [](FakeDirectory& d, FakeGroupPolicyObject&) { d.bind_domain_result = 0x80072030; },
       HRESULT(0x80072030)},
      {"search failing before a match",
       [](FakeDirectory& d, FakeGroupPolicyObject&) {
         d.rows = {{kSecondPolicy, S_OK, 0}};
         d.after_last_row = 0x8007203A;
       },
       HRESULT(0x8007203A)},
      {"search refused",
       [](FakeDirectory& d, FakeGroupPolicyObject&) { d.execute_result = E_ADS_INVALID_FILTER; },
       E_ADS_INVALID_FILTER},
      {"policy cannot be opened",
       [](FakeDirectory& d, FakeGroupPolicyObject& p) {
         d.rows = {{kFirstPolicy}};
         p.open_result = HRESULT(0x80070005);
       },
       HRESULT(0x80070005)},
  };
  for (Case& c : cases) {
    FakeDirectory fresh;
    directory = &fresh;
    fake_policy.open_result = S_OK;
    c.arrange(fresh, fake_policy);
    EXPECT_EQ(FindFailure(), c.raised) << c.name;
    EXPECT_EQ(fresh.references, 0) << c.name;
    EXPECT_FALSE(fresh.handle_open) << c.name;
    EXPECT_EQ(fresh.columns_out, 0) << c.name;
    EXPECT_EQ(fake_policy.references, 0) << c.name;
  }
}

// A failure of neither kind keeps the thread's last error across the release, which here resets
// it, so the final report still shows what went wrong.
struct ThrowingOpen : FakeGroupPolicyObject {
  HRESULT STDMETHODCALLTYPE OpenDSGPO(LPOLESTR, DWORD) override {
    SetLastError(ERROR_ACCESS_DENIED);
    throw std::runtime_error("not an HRESULT");
  }
};

TEST(PolicyLookupPassOnTest, AnotherFailureKeepsTheLastError) {
  CoInitialize(nullptr);
  {
    ThrowingOpen policy_class;
    FakeDirectory fake;
    fake.rows = {{kFirstPolicy}};
    directory = &fake;
    UniqueBstr name(SysAllocString(OLESTR("Kiosk")));
    EXPECT_THROW(FindPolicyByDisplayName(name.get(), &BindToFake), std::runtime_error);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(fake.columns_out, 0);
    EXPECT_FALSE(fake.handle_open);
    EXPECT_EQ(fake.references, 0);
    directory = nullptr;
  }
  CoUninitialize();
}

}  // namespace
