#include "class_table.h"

#include <gtest/gtest.h>

#include "support/counted_object.h"

namespace {

const CLSID kTestClass = {0x1234, 0x5678, 0x9ABC, {1, 2, 3, 4, 5, 6, 7, 8}};
const CLSID kOtherClass = {0x1234, 0x5678, 0x9ABC, {1, 2, 3, 4, 5, 6, 7, 9}};

CountedObject created;

HRESULT CreateTestObject(REFIID riid, void** object) {
  return created.QueryInterface(riid, object);
}

HRESULT CreateNothing(REFIID, void** object) {
  *object = reinterpret_cast<void*>(0x1);  // a creator that fails must not leak a pointer out
  return E_OUTOFMEMORY;
}

// Registered during static initialisation, as a component's registration object would be.
const ComClassRegistration registration(kTestClass, &CreateTestObject);

class ClassTableTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(ClassTableTest, CreatesRegisteredClasses) {
  void* object = nullptr;
  ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
            S_OK);
  EXPECT_EQ(object, static_cast<IUnknown*>(&created));
  static_cast<IUnknown*>(object)->Release();
}

TEST_F(ClassTableTest, Failures) {
  IUnknown* outer = &created;
  struct Row {
    const char* name;
    const CLSID& clsid;
    IUnknown* outer;
    DWORD context;
    const IID& iid;
    HRESULT expected;
  } rows[] = {
      {"unregistered class", kOtherClass, nullptr, CLSCTX_ALL, IID_IUnknown, REGDB_E_CLASSNOTREG},
      {"aggregation", kTestClass, outer, CLSCTX_ALL, IID_IUnknown, CLASS_E_NOAGGREGATION},
      {"out of process only", kTestClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
       REGDB_E_CLASSNOTREG},
      {"interface not offered", kTestClass, nullptr, CLSCTX_ALL, IID_IDispatch, E_NOINTERFACE},
  };
  for (const Row& row : rows) {
    void* object = &created;
    EXPECT_EQ(CoCreateInstance(row.clsid, row.outer, row.context, row.iid, &object), row.expected)
        << row.name;
    EXPECT_EQ(object, nullptr) << row.name;
  }
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ClassTableTest, FailingCreatorLeavesNoPointer) {
  RegisterComClass(kOtherClass, &CreateNothing);
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kOtherClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
            E_OUTOFMEMORY);
  EXPECT_EQ(object, nullptr);
  UnregisterComClass(kOtherClass);
  EXPECT_EQ(CoCreateInstance(kOtherClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
            REGDB_E_CLASSNOTREG);
}

TEST(ClassTableWithoutComTest, NeedsInitialisation) {
  void* object = &created;
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
            CO_E_NOTINITIALIZED);
  EXPECT_EQ(object, nullptr);
}

}  // namespace
