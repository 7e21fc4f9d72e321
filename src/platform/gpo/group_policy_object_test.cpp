#include "gpo/group_policy_object.h"

#include <gtest/gtest.h>

namespace {

// What the class answers before any policy is opened, and to arguments it cannot use: all
// without a directory, so these run anywhere.
class GroupPolicyObjectTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_GroupPolicyObject, nullptr, CLSCTX_ALL, IID_IGroupPolicyObject,
                               reinterpret_cast<void**>(&gpo_)),
              S_OK)
        << "the class registers itself with the class table";
  }
  void TearDown() override {
    if (gpo_ != nullptr) {
      EXPECT_EQ(gpo_->Release(), 0u);
    }
    CoUninitialize();
  }

  IGroupPolicyObject* gpo_ = nullptr;
};

TEST_F(GroupPolicyObjectTest, Interfaces) {
  const IID kOther = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(gpo_->QueryInterface(kOther, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(gpo_->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  ASSERT_EQ(gpo_->QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(object, static_cast<IUnknown*>(gpo_));
  EXPECT_EQ(static_cast<IUnknown*>(object)->Release(), 1u);
}

TEST_F(GroupPolicyObjectTest, CallsBeforeAnOpenAndBadArguments) {
  GUID extension = REGISTRY_EXTENSION_GUID;
  GUID tool = {0x0f6b957e, 0x509e, 0x11d1, {0xa7, 0xcc, 0x00, 0x00, 0xf8, 0x75, 0x71, 0xe3}};
  HKEY key = reinterpret_cast<HKEY>(1);
  OLECHAR not_a_path[] = u"CN=x,DC=example,DC=test";
  OLECHAR root_dse[] = u"LDAP://rootDSE";
  struct Row {
    const char* name;
    HRESULT result;
    HRESULT expected;
  };
  const Row rows[] = {
      {"registry key before open", gpo_->GetRegistryKey(GPO_SECTION_MACHINE, &key), E_FAIL},
      {"registry key of the root section", gpo_->GetRegistryKey(GPO_SECTION_ROOT, &key),
       E_INVALIDARG},
      {"registry key without out pointer", gpo_->GetRegistryKey(GPO_SECTION_USER, nullptr),
       E_POINTER},
      {"save before open", gpo_->Save(TRUE, TRUE, &extension, &tool), E_FAIL},
      {"save without extension", gpo_->Save(TRUE, TRUE, nullptr, &tool), E_POINTER},
      {"save without tool", gpo_->Save(FALSE, TRUE, &extension, nullptr), E_POINTER},
      {"open without path", gpo_->OpenDSGPO(nullptr, GPO_OPEN_LOAD_REGISTRY), E_INVALIDARG},
      {"open a DN without LDAP://", gpo_->OpenDSGPO(not_a_path, 0),
       static_cast<HRESULT>(0x80005000)},
      {"open the root DSE", gpo_->OpenDSGPO(root_dse, 0), static_cast<HRESULT>(0x80005000)},
      {"not offered", gpo_->OpenLocalMachineGPO(0), E_NOTIMPL},
      {"not offered either", gpo_->Delete(), E_NOTIMPL},
  };
  for (const Row& row : rows) EXPECT_EQ(row.result, row.expected) << row.name;
  EXPECT_EQ(key, nullptr) << "a failed GetRegistryKey hands out no key";
}

}  // namespace
