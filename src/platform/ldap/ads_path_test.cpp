#include "ads_path.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
  const char16_t* path;
  const char* host;
  int port;
  bool root_dse;
  const char* dn;
};

TEST(ParseAdsPath, AcceptsEveryFormWithItsParts) {
  const Parsed rows[] = {
      {u"LDAP://rootDSE", "", 0, true, ""},
      {u"LDAP://RootDse", "", 0, true, ""},
      {u"LDAP://dc1.example.test/rootDSE", "dc1.example.test", 0, true, ""},
      {u"LDAP://DC1.Example.TEST:389/rootDSE", "dc1.example.test", 389, true, ""},
      {u"LDAP://DC=example,DC=test", "", 0, false, "DC=example,DC=test"},
      {u"LDAP://dc1/CN={31B2F340-016D-11D2-945F-00C04FB984F9},CN=Policies,CN=System,DC=x", "dc1", 0,
       false, "CN={31B2F340-016D-11D2-945F-00C04FB984F9},CN=Policies,CN=System,DC=x"},
      {u"LDAP://10.0.0.1:636/DC=x", "10.0.0.1", 636, false, "DC=x"},
      {u"LDAP://[::1]:3268/DC=x", "[::1]", 3268, false, "DC=x"},
      {u"LDAP://dc_1:65535/DC=x", "dc_1", 65535, false, "DC=x"},
      // "/" needs ADsPath's escape only; LDAP's own escapes pass through unchanged.
      {u"LDAP://CN=a\\/b,DC=x", "", 0, false, "CN=a/b,DC=x"},
      {u"LDAP://dc1/CN=a\\/b\\/c,DC=x", "dc1", 0, false, "CN=a/b/c,DC=x"},
      {u"LDAP://CN=Smith\\,Jeff,DC=x", "", 0, false, "CN=Smith\\,Jeff,DC=x"},
      {u"LDAP://CN=Smith\\2CJeff,DC=x", "", 0, false, "CN=Smith\\2CJeff,DC=x"},
      {u"LDAP://CN=line\\0Abreak,DC=x", "", 0, false, "CN=line\\0Abreak,DC=x"},
      {u"LDAP://CN=\\#1\\+\\\\\\ ,DC=x", "", 0, false, "CN=\\#1\\+\\\\\\ ,DC=x"},
      {u"LDAP://CN=a+sn=b,DC=x", "", 0, false, "CN=a+sn=b,DC=x"},
      {u"LDAP://CN=a, DC=x", "", 0, false, "CN=a, DC=x"},
      {u"LDAP://CN=,DC=x", "", 0, false, "CN=,DC=x"},
      {u"LDAP://2.5.4.3=a,DC=x", "", 0, false, "2.5.4.3=a,DC=x"},
      {u"LDAP://CN=M\u00fcller \U0001F600,DC=x", "", 0, false,
       "CN=M\xc3\xbcller \xf0\x9f\x98\x80,DC=x"},
  };
  for (const Parsed& row : rows) {
    std::u16string path(row.path);
    AdsPath parsed;
    ASSERT_TRUE(ParseAdsPath(path, &parsed)) << std::string(path.begin(), path.end());
    EXPECT_EQ(parsed.host, row.host) << std::string(path.begin(), path.end());
    EXPECT_EQ(parsed.port, row.port) << std::string(path.begin(), path.end());
    EXPECT_EQ(parsed.root_dse, row.root_dse) << std::string(path.begin(), path.end());
    EXPECT_EQ(parsed.dn, row.dn) << std::string(path.begin(), path.end());
  }
}

TEST(ParseAdsPath, RefusesMalformedPaths) {
  const char16_t* rows[] = {
      u"",
      u"LDAP:",
      u"LDAP://",
      u"ldap://rootDSE",  // the provider's name is case-sensitive
      u"GC://rootDSE",
      u"LDAP:/rootDSE",
      u"LDAP://dc1",  // a server without an object
      u"LDAP://dc1/",
      u"LDAP:///DC=x",
      u"LDAP://dc1:0/DC=x",
      u"LDAP://dc1:65536/DC=x",
      u"LDAP://dc1:123456/DC=x",
      u"LDAP://dc1:/DC=x",
      u"LDAP://dc1:38a/DC=x",
      u"LDAP://dc 1/DC=x",
      u"LDAP://dc1@x/DC=x",
      u"LDAP://[::1/DC=x",
      u"LDAP://[]/DC=x",
      u"LDAP://[::1]x/DC=x",
      u"LDAP://CN=a/b,DC=x",  // an unescaped component separator inside the DN
      u"LDAP://dc1/CN=a/b,DC=x",
      u"LDAP://dc1/rootDSE/x",
      u"LDAP://CN=a\\",
      u"LDAP://CN=a\\q,DC=x",
      u"LDAP://CN=a\\4,DC=x",
      u"LDAP://=a,DC=x",
      u"LDAP://CN=a,,DC=x",
      u"LDAP://CN=a,",
      u"LDAP://CN=a+,DC=x",
      u"LDAP://C N=a,DC=x",
      u"LDAP://just-a-name",
      u"LDAP://CN=\xD800,DC=x",  // half of a surrogate pair
  };
  for (const char16_t* row : rows) {
    std::u16string path(row);
    AdsPath parsed;
    parsed.host = "unchanged";
    EXPECT_FALSE(ParseAdsPath(path, &parsed)) << std::string(path.begin(), path.end());
    EXPECT_EQ(parsed.host, "unchanged") << std::string(path.begin(), path.end());
  }
}

TEST(AdsPathServerUri, NamesTheServerOrLeavesTheChoiceToTheConfiguration) {
  struct Row {
    const char16_t* path;
    const char* configured;
    const char* uri;
  } rows[] = {
      {u"LDAP://rootDSE", "ldaps://dc2.example.test", ""},
      {u"LDAP://DC1.example.test/rootDSE", "", "ldap://dc1.example.test"},
      {u"LDAP://dc1:3268/DC=x", "ldaps://dc2.example.test", "ldap://dc1:3268"},
      {u"LDAP://[::1]:389/DC=x", "", "ldap://[::1]:389"},
      {u"LDAP://dc1:636/DC=x", "", "ldaps://dc1:636"},
      // A server named without a port keeps the configuration's scheme and port.
      {u"LDAP://dc1/DC=x", "ldaps://dc2.example.test", "ldaps://dc1"},
      {u"LDAP://dc1/DC=x", "ldap://dc2.example.test:3268", "ldap://dc1:3268"},
      {u"LDAP://dc1/DC=x", "ldap://dc2.example.test:636", "ldaps://dc1:636"},
      {u"LDAP://dc1/DC=x", "not a uri", "ldap://dc1"},
  };
  for (const Row& row : rows) {
    AdsPath parsed;
    ASSERT_TRUE(ParseAdsPath(row.path, &parsed)) << row.uri;
    EXPECT_EQ(parsed.ServerUri(row.configured), row.uri) << row.configured;
  }
}

}  // namespace
