// The ADSI LDAP provider against the throwaway Samba domain. tests/domain/run-tests runs it
// inside the domain's network namespace, once per situation (REGWEAVE_TEST_SITUATION: running,
// no-ticket, stopped), after filling the directory with what the environment names:
//   REGWEAVE_TEST_GPO_GUIDS     policies made with samba-tool gpo create, blank-separated
//   REGWEAVE_TEST_CONTAINER     DN of a unit holding REGWEAVE_TEST_ITEMS containers
//   REGWEAVE_TEST_ODD_ENTRY     DN of a user with a binary jpegPhoto and many otherTelephone
#include <activeds.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ldap/directory_binding.h"
#include "ldap/directory_text.h"

namespace {

const char kDomain[] = "DC=example,DC=test";
const char16_t kServer[] = u"dc1.example.test";
const char* const kDefaultPolicies[] = {"{31B2F340-016D-11D2-945F-00C04FB984F9}",
                                        "{6AC1786C-016F-11D2-945F-00C04FB984F9}"};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : value;
}

bool InSituation(const char* situation) {
  return Environment("REGWEAVE_TEST_SITUATION") == situation;
}

std::u16string Ole(const std::string& text) {
  return OleFromDirectory(text);
}

std::string Utf8(std::u16string_view text) {
  std::string utf8;
  EXPECT_TRUE(Utf8FromOle(text, &utf8));
  return utf8;
}

std::u16string Path(const std::u16string& server, const std::string& object) {
  return u"LDAP://" + (server.empty() ? u"" : server + u"/") + Ole(object);
}

// Owns one interface reference.
template <typename Interface>
class Bound {
 public:
  Bound() = default;
  Bound(const Bound&) = delete;
  Bound& operator=(const Bound&) = delete;
  ~Bound() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  Interface* operator->() const { return pointer_; }
  void** out() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

class RunningDomain : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!InSituation("running")) GTEST_SKIP() << "needs a running domain";
  }
};

class WithoutTicket : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!InSituation("no-ticket")) GTEST_SKIP() << "needs a running domain and no ticket";
  }
};

class StoppedDomain : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!InSituation("stopped")) GTEST_SKIP() << "needs a domain whose server is stopped";
  }
};

std::string ReadString(IADs* object, const char16_t* name, HRESULT* hr) {
  std::u16string copy(name);
  BSTR bstr = SysAllocString(copy.c_str());
  VARIANT value;
  VariantInit(&value);
  *hr = object->Get(bstr, &value);
  SysFreeString(bstr);
  std::string text;
  if (SUCCEEDED(*hr)) {
    EXPECT_EQ(value.vt, VT_BSTR);
    text = Utf8(std::u16string_view(value.bstrVal, SysStringLen(value.bstrVal)));
  }
  VariantClear(&value);
  return text;
}

struct Column {
  HRESULT hr = E_FAIL;
  ADSTYPE type = ADSTYPE_INVALID;
  std::vector<std::string> values;
};

Column ReadColumn(IDirectorySearch* search, ADS_SEARCH_HANDLE handle, const char16_t* name) {
  std::u16string copy(name);
  ADS_SEARCH_COLUMN column;
  Column read;
  read.hr = search->GetColumn(handle, copy.data(), &column);
  if (SUCCEEDED(read.hr)) {
    read.type = column.dwADsType;
    for (DWORD i = 0; i < column.dwNumValues; ++i) {
      read.values.push_back(Utf8(column.pADsValues[i].CaseIgnoreString));
    }
  }
  search->FreeColumn(&column);
  return read;
}

// Every row of a subtree search: the named column's first value, or "<hr>" when it is not set.
std::vector<std::string> SearchAll(const std::u16string& path, const char16_t* filter,
                                   std::vector<std::u16string> attributes, const char16_t* column,
                                   HRESULT* ending) {
  Bound<IDirectorySearch> search;
  std::vector<std::string> rows;
  *ending = ADsGetObject(path.c_str(), IID_IDirectorySearch, search.out());
  if (FAILED(*ending)) return rows;
  std::u16string filter_copy(filter);
  std::vector<LPWSTR> names;
  for (std::u16string& attribute : attributes) names.push_back(attribute.data());
  ADS_SEARCH_HANDLE handle = nullptr;
  *ending = search->ExecuteSearch(filter_copy.data(), names.data(),
                                  static_cast<DWORD>(names.size()), &handle);
  if (FAILED(*ending)) return rows;
  while ((*ending = search->GetNextRow(handle)) == S_OK) {
    Column read = ReadColumn(search.operator->(), handle, column);
    std::ostringstream missing;
    missing << "<" << std::hex << static_cast<uint32_t>(read.hr) << ">";
    rows.push_back(read.values.empty() ? missing.str() : read.values[0]);
  }
  EXPECT_EQ(search->CloseSearchHandle(handle), S_OK);
  return rows;
}

TEST_F(RunningDomain, RootDseNamesTheDomainWithAndWithoutServer) {
  const std::u16string paths[] = {u"LDAP://rootDSE", u"LDAP://dc1.example.test/rootDSE",
                                  u"LDAP://DC1.EXAMPLE.TEST:389/RootDSE", u"LDAP://dc1/rootDSE"};
  for (const std::u16string& path : paths) {
    Bound<IADs> root;
    ASSERT_EQ(ADsGetObject(path.c_str(), IID_IADs, root.out()), S_OK) << Utf8(path);
    HRESULT hr;
    EXPECT_EQ(ReadString(root.operator->(), u"defaultNamingContext", &hr), kDomain) << Utf8(path);
    EXPECT_EQ(hr, S_OK) << Utf8(path);
  }
}

TEST_F(RunningDomain, GetReportsMissingAndMultiValuedAttributes) {
  Bound<IADs> root;
  ASSERT_EQ(ADsGetObject(u"LDAP://rootDSE", IID_IADs, root.out()), S_OK);
  struct Row {
    const char16_t* name;
    HRESULT expected;
  } rows[] = {
      {u"noSuchAttributeHere", E_ADS_PROPERTY_NOT_FOUND},
      {u"namingContexts", E_ADS_CANT_CONVERT_DATATYPE},  // several values need an array
      {u"DNSHOSTNAME", S_OK},                            // names compare without case
  };
  for (const Row& row : rows) {
    HRESULT hr;
    ReadString(root.operator->(), row.name, &hr);
    EXPECT_EQ(hr, row.expected) << Utf8(row.name);
  }
}

TEST_F(RunningDomain, BindingReportsTheDirectorysFailures) {
  struct Row {
    std::u16string path;
    HRESULT expected;
  } rows[] = {
      {Path(u"", std::string("CN=nothing-here,") + kDomain), HRESULT(0x80072030)},
      {Path(kServer, std::string("CN=nothing-here,") + kDomain), HRESULT(0x80072030)},
      {u"LDAP://dc1.example.test:3899/rootDSE", HRESULT(0x8007203A)},  // nothing listens there
      {u"LDAP://no-such-host.example.test/rootDSE", HRESULT(0x8007203A)},
  };
  for (const Row& row : rows) {
    Bound<IADs> object;
    EXPECT_EQ(ADsGetObject(row.path.c_str(), IID_IADs, object.out()), row.expected)
        << Utf8(row.path);
  }
}

TEST_F(RunningDomain, FindsDefaultAndCreatedPoliciesWithTheirNames) {
  std::set<std::string> expected;
  std::istringstream created(Environment("REGWEAVE_TEST_GPO_GUIDS"));
  std::vector<std::string> guids(kDefaultPolicies, kDefaultPolicies + 2);
  for (std::string guid; created >> guid;) guids.push_back(guid);
  ASSERT_GE(guids.size(), 4u) << "run-tests makes two policies";
  for (const std::string& guid : guids) {
    expected.insert("CN=" + guid + ",CN=Policies,CN=System," + kDomain);
  }
  for (const std::u16string& server : {std::u16string(), std::u16string(kServer)}) {
    HRESULT ending;
    std::vector<std::string> rows =
        SearchAll(Path(server, kDomain), u"(objectClass=groupPolicyContainer)",
                  {u"distinguishedName"}, u"distinguishedName", &ending);
    EXPECT_EQ(ending, S_ADS_NOMORE_ROWS);
    std::set<std::string> found(rows.begin(), rows.end());
    EXPECT_EQ(found.size(), rows.size()) << "no policy comes twice";
    for (const std::string& dn : expected) EXPECT_EQ(found.count(dn), 1u) << dn;
  }
}

TEST_F(RunningDomain, ColumnsHaveTheirTypesAndOnlyWhatWasAskedFor) {
  Bound<IDirectorySearch> search;
  std::u16string policies = Path(kServer, std::string("CN=Policies,CN=System,") + kDomain);
  ASSERT_EQ(ADsGetObject(policies.c_str(), IID_IDirectorySearch, search.out()), S_OK);
  std::u16string filter =
      u"(&(objectClass=groupPolicyContainer)(cn=" + Ole(kDefaultPolicies[0]) + u"))";
  std::u16string names[] = {u"distinguishedName", u"displayName", u"gPCFileSysPath"};
  LPWSTR pointers[] = {names[0].data(), names[1].data(), names[2].data()};
  ADS_SEARCH_HANDLE handle = nullptr;
  ASSERT_EQ(search->ExecuteSearch(filter.data(), pointers, 3, &handle), S_OK);
  ASSERT_EQ(search->GetNextRow(handle), S_OK);

  Column dn = ReadColumn(search.operator->(), handle, u"distinguishedName");
  EXPECT_EQ(dn.type, ADSTYPE_DN_STRING);
  ASSERT_EQ(dn.values.size(), 1u);
  EXPECT_EQ(dn.values[0],
            std::string("CN=") + kDefaultPolicies[0] + ",CN=Policies,CN=System," + kDomain);
  Column name = ReadColumn(search.operator->(), handle, u"DISPLAYNAME");
  EXPECT_EQ(name.type, ADSTYPE_CASE_IGNORE_STRING);
  EXPECT_EQ(name.values, std::vector<std::string>{"Default Domain Policy"});
  EXPECT_EQ(ReadColumn(search.operator->(), handle, u"versionNumber").hr, E_ADS_COLUMN_NOT_SET)
      << "not asked for";

  EXPECT_EQ(search->GetNextRow(handle), S_ADS_NOMORE_ROWS);
  EXPECT_EQ(search->GetNextRow(handle), S_ADS_NOMORE_ROWS) << "the end stays the end";
  EXPECT_EQ(ReadColumn(search.operator->(), handle, u"distinguishedName").hr, E_ADS_BAD_PARAMETER)
      << "no row after the end";
  EXPECT_EQ(search->CloseSearchHandle(handle), S_OK);
  EXPECT_EQ(search->CloseSearchHandle(handle), E_ADS_BAD_PARAMETER);
}

TEST_F(RunningDomain, MalformedFilterIsReportedAsSuch) {
  HRESULT ending;
  SearchAll(Path(u"", kDomain), u"(objectClass=", {u"cn"}, u"cn", &ending);
  EXPECT_EQ(ending, E_ADS_INVALID_FILTER);
}

TEST_F(RunningDomain, ReturnsEveryEntryOfAResultLargerThanOnePage) {
  std::string container = Environment("REGWEAVE_TEST_CONTAINER");
  int items = std::atoi(Environment("REGWEAVE_TEST_ITEMS").c_str());
  ASSERT_FALSE(container.empty());
  ASSERT_GT(items, 1000) << "more than Active Directory answers without paging";
  for (const std::u16string& server : {std::u16string(), std::u16string(kServer)}) {
    HRESULT ending;
    std::vector<std::string> rows =
        SearchAll(Path(server, container), u"(objectClass=container)", {u"cn"}, u"cn", &ending);
    EXPECT_EQ(ending, S_ADS_NOMORE_ROWS);
    EXPECT_EQ(rows.size(), static_cast<size_t>(items));
    std::set<std::string> distinct(rows.begin(), rows.end());
    EXPECT_EQ(distinct.size(), static_cast<size_t>(items));
    EXPECT_EQ(distinct.count("item-0001"), 1u);
  }
}

TEST_F(RunningDomain, BinaryValuesAndManyValuesDoNotBreakTheProvider) {
  std::string odd = Environment("REGWEAVE_TEST_ODD_ENTRY");
  ASSERT_FALSE(odd.empty());
  Bound<IADs> object;
  ASSERT_EQ(ADsGetObject(Path(u"", odd).c_str(), IID_IADs, object.out()), S_OK);
  HRESULT hr;
  std::string photo = ReadString(object.operator->(), u"jpegPhoto", &hr);
  EXPECT_EQ(hr, S_OK);
  EXPECT_GE(photo.size(), 100000u) << "ill-formed bytes become U+FFFD, nothing is cut";
  ReadString(object.operator->(), u"otherTelephone", &hr);
  EXPECT_EQ(hr, E_ADS_CANT_CONVERT_DATATYPE);

  Bound<IDirectorySearch> search;
  ASSERT_EQ(ADsGetObject(Path(u"", odd).c_str(), IID_IDirectorySearch, search.out()), S_OK);
  ADS_SEARCH_HANDLE handle = nullptr;
  ASSERT_EQ(search->ExecuteSearch(nullptr, nullptr, static_cast<DWORD>(-1), &handle), S_OK);
  ASSERT_EQ(search->GetNextRow(handle), S_OK);
  EXPECT_EQ(ReadColumn(search.operator->(), handle, u"otherTelephone").values.size(), 60u);
  EXPECT_EQ(ReadColumn(search.operator->(), handle, u"jpegPhoto").values.size(), 1u);
  EXPECT_EQ(ReadColumn(search.operator->(), handle, u"distinguishedName").values,
            std::vector<std::string>{odd});
  EXPECT_EQ(search->CloseSearchHandle(handle), S_OK);
}

TEST_F(RunningDomain, OneConnectionPerServerNamesTheDomainController) {
  DirectoryBinding first, second, named;
  ASSERT_EQ(BindDirectoryPath(u"LDAP://rootDSE", &first), S_OK);
  ASSERT_EQ(BindDirectoryPath(Path(u"", kDomain).c_str(), &second), S_OK);
  ASSERT_EQ(BindDirectoryPath(Path(kServer, kDomain).c_str(), &named), S_OK);
  EXPECT_EQ(first.connection, second.connection);
  EXPECT_EQ(first.dn, "");
  EXPECT_EQ(second.dn, kDomain);
  EXPECT_EQ(first.connection->host(), "dc1.example.test");
  EXPECT_EQ(named.connection->host(), "dc1.example.test");
}

TEST_F(WithoutTicket, BindingFailsInsteadOfWaiting) {
  for (const char16_t* path : {u"LDAP://rootDSE", u"LDAP://dc1.example.test/rootDSE"}) {
    Bound<IADs> root;
    HRESULT hr = ADsGetObject(path, IID_IADs, root.out());
    EXPECT_TRUE(FAILED(hr)) << Utf8(path);
  }
}

TEST_F(StoppedDomain, ServerIsReportedDown) {
  for (const char16_t* path : {u"LDAP://rootDSE", u"LDAP://dc1.example.test/DC=example,DC=test"}) {
    Bound<IADs> root;
    EXPECT_EQ(ADsGetObject(path, IID_IADs, root.out()), HRESULT(0x8007203A)) << Utf8(path);
  }
}

}  // namespace
