#include "domain_controller_locator.h"

#include <gtest/gtest.h>

#include <lmapibuf.h>

namespace {

// The records DNS gave for the PDC emulator, and what DsGetDcNameA answers from them. Names are
// ones that resolve, or fail to, without asking a DNS server.
TEST(DescribeFirstResolvable, TakesTheFirstRecordWhoseNameResolves) {
  const struct {
    const char* records;
    std::vector<std::string> hosts;
    DWORD status;
    const char* name;
  } rows[] = {
      {"present", {"localhost:389"}, ERROR_SUCCESS, "\\\\localhost"},
      {"several, in the order given",
       {"localhost:389", "127.0.0.2:389"},
       ERROR_SUCCESS,
       "\\\\localhost"},
      {"several, the first without a name",
       {":389", "127.0.0.2:389"},
       ERROR_SUCCESS,
       "\\\\127.0.0.2"},
      {"absent", {}, ERROR_NO_SUCH_DOMAIN, nullptr},
      {"none resolves", {":389"}, ERROR_NO_SUCH_DOMAIN, nullptr},
  };
  for (const auto& row : rows) {
    PDOMAIN_CONTROLLER_INFOA info = nullptr;
    EXPECT_EQ(DescribeFirstResolvable(row.hosts, "example.test", true, &info), row.status)
        << row.records;
    if (row.name == nullptr) {
      EXPECT_EQ(info, nullptr) << row.records;
      continue;
    }
    ASSERT_NE(info, nullptr) << row.records;
    EXPECT_STREQ(info->DomainControllerName, row.name) << row.records;
    EXPECT_EQ(std::string(info->DomainControllerAddress).rfind("\\\\", 0), 0u) << row.records;
    EXPECT_STREQ(info->DomainName, "example.test") << row.records;
    EXPECT_NE(info->Flags & DS_PDC_FLAG, 0u) << row.records;
    NetApiBufferFree(info);
  }
}

}  // namespace
