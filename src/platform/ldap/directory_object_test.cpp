// What the ADSI object answers before it asks the directory anything: interfaces, reference
// counts and the checks of the caller's arguments. Searches and reads are tested against a
// real domain in tests/domain.
#include "directory_object.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const IID kOtherInterface = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};  // IDispatch

class DirectoryObjectTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(object_->Release(), 0u); }

  // A binding without connection: nothing here may reach the directory.
  DirectoryObject* object_ = new DirectoryObject(DirectoryBinding{});
};

TEST_F(DirectoryObjectTest, OffersTheDirectoryInterfacesAndNoOther) {
  struct Row {
    const char* name;
    const IID* iid;
    HRESULT expected;
  } rows[] = {
      {"IUnknown", &IID_IUnknown, S_OK},
      {"IADs", &IID_IADs, S_OK},
      {"IDirectorySearch", &IID_IDirectorySearch, S_OK},
      {"IDispatch", &kOtherInterface, E_NOINTERFACE},
  };
  for (const Row& row : rows) {
    void* given = &rows;
    EXPECT_EQ(object_->QueryInterface(*row.iid, &given), row.expected) << row.name;
    if (SUCCEEDED(row.expected)) {
      static_cast<IUnknown*>(given)->Release();
    } else {
      EXPECT_EQ(given, nullptr) << row.name;
    }
  }
  EXPECT_EQ(object_->QueryInterface(IID_IADs, nullptr), E_POINTER);
}

TEST_F(DirectoryObjectTest, AnswersTheSameObjectThroughEitherInterface) {
  IADs* ads = nullptr;
  IDirectorySearch* search = nullptr;
  ASSERT_EQ(object_->QueryInterface(IID_IADs, reinterpret_cast<void**>(&ads)), S_OK);
  ASSERT_EQ(ads->QueryInterface(IID_IDirectorySearch, reinterpret_cast<void**>(&search)), S_OK);
  IUnknown* from_ads = nullptr;
  IUnknown* from_search = nullptr;
  ads->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&from_ads));
  search->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&from_search));
  EXPECT_EQ(from_ads, from_search);
  EXPECT_EQ(from_ads->Release(), 4u);
  from_search->Release();
  search->Release();
  EXPECT_EQ(ads->Release(), 1u);
}

TEST_F(DirectoryObjectTest, RefusesBadArgumentsBeforeAskingTheDirectory) {
  VARIANT value;
  EXPECT_EQ(object_->Get(nullptr, &value), E_ADS_BAD_PARAMETER);
  OLECHAR name[] = u"cn";
  EXPECT_EQ(object_->Get(name, nullptr), E_ADS_BAD_PARAMETER);

  OLECHAR filter[] = u"(cn=\xD800)";
  ADS_SEARCH_HANDLE handle = &value;
  EXPECT_EQ(object_->ExecuteSearch(filter, nullptr, 0, &handle), E_ADS_INVALID_FILTER);
  EXPECT_EQ(handle, nullptr);
  LPWSTR names[] = {name, nullptr};
  EXPECT_EQ(object_->ExecuteSearch(nullptr, names, 2, &handle), E_ADS_BAD_PARAMETER);
  EXPECT_EQ(object_->ExecuteSearch(nullptr, names, 1, nullptr), E_ADS_BAD_PARAMETER);
}

TEST_F(DirectoryObjectTest, RefusesHandlesAndColumnsItDidNotHandOut) {
  int not_a_search = 0;
  EXPECT_EQ(object_->GetNextRow(&not_a_search), E_ADS_BAD_PARAMETER);
  EXPECT_EQ(object_->GetNextRow(nullptr), E_ADS_BAD_PARAMETER);
  EXPECT_EQ(object_->CloseSearchHandle(&not_a_search), E_ADS_BAD_PARAMETER);

  // A failed GetColumn leaves an empty column, so freeing it afterwards is harmless.
  ADS_SEARCH_COLUMN column;
  std::memset(&column, 0xAB, sizeof column);
  OLECHAR name[] = u"distinguishedName";
  EXPECT_EQ(object_->GetColumn(&not_a_search, name, &column), E_ADS_BAD_PARAMETER);
  EXPECT_EQ(column.pADsValues, nullptr);
  EXPECT_EQ(column.hReserved, nullptr);
  EXPECT_EQ(object_->FreeColumn(&column), E_ADS_BAD_PARAMETER);
  EXPECT_EQ(object_->FreeColumn(nullptr), E_ADS_BAD_PARAMETER);
  EXPECT_EQ(object_->GetColumn(&not_a_search, name, nullptr), E_ADS_BAD_PARAMETER);
}

TEST(ADsGetObject, RefusesMalformedPathsWithoutConnecting) {
  const OLECHAR* paths[] = {nullptr, u"", u"LDAP://dc1", u"LDAP://CN=a/b,DC=x", u"WinNT://x"};
  for (const OLECHAR* path : paths) {
    void* object = &paths;
    EXPECT_EQ(ADsGetObject(path, IID_IADs, &object), E_ADS_BAD_PATHNAME)
        << (path == nullptr ? 0 : std::u16string(path).size());
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(ADsGetObject(u"LDAP://rootDSE", IID_IADs, nullptr), E_POINTER);
}

}  // namespace
