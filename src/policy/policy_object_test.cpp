#include "policy/policy_object.h"

#include <gtest/gtest.h>

#include <comdef.h>

#include "common/directory_server.h"
#include "common/hresult_error.h"
#include "support/fake_group_policy_object.h"

namespace {

const OLECHAR kPolicyDn[] = OLESTR("CN={31B2F340-016D-11D2-945F-00C04FB984F9},CN=Policies,DC=x");

class PolicyObjectTest : public testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override {
    DirectoryServer.reset();
    CoUninitialize();
  }

  HRESULT OpeningFailure() {
    try {
      PolicyObject policy(kPolicyDn);
    } catch (const HresultError& error) {
      return error.value;
    }
    return S_OK;
  }

  FakeGroupPolicyObject fake;
};

TEST_F(PolicyObjectTest, OpensThePathOnTheChosenServerWithTheRegistryLoaded) {
  struct Row {
    const OLECHAR* server;
    const OLECHAR* dn;
    const char* path;
  } rows[] = {
      {OLESTR(""), kPolicyDn, "LDAP://CN={31B2F340-016D-11D2-945F-00C04FB984F9},CN=Policies,DC=x"},
      {OLESTR("dc1"), kPolicyDn,
       "LDAP://dc1/CN={31B2F340-016D-11D2-945F-00C04FB984F9},CN=Policies,DC=x"},
      // The name reaches the class as the directory spelled it, escapes and all.
      {OLESTR(""), OLESTR("CN=a\\,b/c,DC=x"), "LDAP://CN=a\\,b/c,DC=x"},
  };
  for (const Row& row : rows) {
    DirectoryServer.reset(SysAllocString(row.server));
    fake.calls.clear();
    { PolicyObject policy(row.dn); }
    ASSERT_EQ(fake.calls.size(), 1u) << row.path;
    EXPECT_EQ(fake.calls[0], std::string("OpenDSGPO ") + row.path + " 1") << row.path;
    EXPECT_EQ(fake.references, 0) << row.path;
  }
}

TEST_F(PolicyObjectTest, OpeningFailuresAreRaisedWithNothingLeftHeld) {
  struct Row {
    const char* name;
    HRESULT create_result;
    bool hand_out_object;
    bool offer_policy_interface;
    HRESULT open_result;
    HRESULT raised;
  } rows[] = {
      {"class refuses", E_OUTOFMEMORY, true, true, S_OK, E_OUTOFMEMORY},
#ifndef _WIN32
      // Linux only: what Windows' CoCreateInstance makes of a class object that succeeds without
      // an object is not documented.
      {"no object", S_OK, false, true, S_OK, E_POINTER},
#endif
      {"no policy interface", S_OK, true, false, S_OK, E_POINTER},
      {"open refused", S_OK, true, true, HRESULT(0x80072030), HRESULT(0x80072030)},
  };
  for (const Row& row : rows) {
    fake.create_result = row.create_result;
    fake.hand_out_object = row.hand_out_object;
    fake.offer_policy_interface = row.offer_policy_interface;
    fake.open_result = row.open_result;
    EXPECT_EQ(OpeningFailure(), row.raised) << row.name;
    EXPECT_EQ(fake.references, 0) << row.name;
  }
}

TEST_F(PolicyObjectTest, AClassThatIsNotThereIsRaised) {
  fake.Withdraw();
  EXPECT_EQ(OpeningFailure(), REGDB_E_CLASSNOTREG);
}

TEST_F(PolicyObjectTest, HandsOutTheRegistryKeyOfTheHalfAskedFor) {
  PolicyObject policy(kPolicyDn);
  fake.calls.clear();
  EXPECT_EQ(policy.GetRegistryKey(GPO_SECTION_MACHINE), fake.key);
  fake.key = nullptr;
  EXPECT_EQ(policy.GetRegistryKey(GPO_SECTION_USER), nullptr);
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"GetRegistryKey 2", "GetRegistryKey 1"}));

  fake.key_result = E_FAIL;
  try {
    policy.GetRegistryKey(GPO_SECTION_USER);
    ADD_FAILURE() << "a refused key is raised";
  } catch (const HresultError& error) {
    EXPECT_EQ(error.value, E_FAIL);
  }
}

TEST_F(PolicyObjectTest, SavesTheHalfNamingTheRegistryExtensionAndReturnsTheResult) {
  const GUID registry_extension = REGISTRY_EXTENSION_GUID;
  const GUID settings_tool = {
      0x0f6b957e, 0x509e, 0x11d1, {0xa7, 0xcc, 0x00, 0x00, 0xf8, 0x75, 0x71, 0xe3}};
  struct Row {
    bool machine;
    bool add;
    HRESULT result;
    const char* call;
  } rows[] = {
      {true, true, S_OK, "Save 1 1"},
      {false, true, S_OK, "Save 0 1"},
      {true, false, S_OK, "Save 1 0"},
      {false, true, HRESULT(0x80070005), "Save 0 1"},
  };
  PolicyObject policy(kPolicyDn);
  for (const Row& row : rows) {
    fake.calls.clear();
    fake.save_result = row.result;
    EXPECT_EQ(policy.SaveRegistry(row.machine, row.add), row.result) << row.call;
    EXPECT_EQ(fake.calls, std::vector<std::string>{row.call});
    EXPECT_TRUE(fake.saved_extension == registry_extension) << row.call;
    EXPECT_TRUE(fake.saved_tool == settings_tool) << row.call;
  }
}

}  // namespace
