#include "ldap_error.h"

#include <gtest/gtest.h>
#include <ldap.h>

namespace {

TEST(HresultFromLdapResult, GivesWhatAdsiReports) {
  struct Row {
    const char* name;
    int ldap_result;
    uint32_t hresult;
  } rows[] = {
      {"success", LDAP_SUCCESS, 0},
      {"server down", LDAP_SERVER_DOWN, 0x8007203A},
      {"no such object", LDAP_NO_SUCH_OBJECT, 0x80072030},
      {"invalid credentials", LDAP_INVALID_CREDENTIALS, 0x8007052E},
      {"insufficient access", LDAP_INSUFFICIENT_ACCESS, 0x80070005},
      {"operations error", LDAP_OPERATIONS_ERROR, 0x80072020},
      {"size limit", LDAP_SIZELIMIT_EXCEEDED, 0x80072023},
      {"referral", LDAP_REFERRAL, 0x8007202B},
      {"no such attribute", LDAP_NO_SUCH_ATTRIBUTE, 0x8007200A},
      {"undefined type", LDAP_UNDEFINED_TYPE, 0x8007200C},
      {"constraint violation", LDAP_CONSTRAINT_VIOLATION, 0x8007202F},
      {"invalid DN", LDAP_INVALID_DN_SYNTAX, 0x80072032},
      {"unwilling", LDAP_UNWILLING_TO_PERFORM, 0x80072035},
      {"already exists", LDAP_ALREADY_EXISTS, 0x80071392},
      {"other", LDAP_OTHER, 0x8007001F},
      {"local error", LDAP_LOCAL_ERROR, 0x8007203B},
      {"timeout", LDAP_TIMEOUT, 0x800705B4},
      {"filter", LDAP_FILTER_ERROR, 0x8007203E},
      {"parameter", LDAP_PARAM_ERROR, 0x8007203F},
      {"no memory", LDAP_NO_MEMORY, 0x80070008},
      {"connect error", LDAP_CONNECT_ERROR, 0x800704C9},
      {"cancelled", LDAP_USER_CANCELLED, 0x800704C7},
      {"more results", LDAP_MORE_RESULTS_TO_RETURN, 0x800700EA},
      {"referral limit", LDAP_REFERRAL_LIMIT_EXCEEDED, 0x80072044},
      // Codes ADSI does not list are unknown errors, never success.
      {"SASL bind in progress", LDAP_SASL_BIND_IN_PROGRESS, 0x8007001F},
      {"extension result", 0x4100, 0x8007001F},
      {"negative unknown", -100, 0x8007001F},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(static_cast<uint32_t>(HresultFromLdapResult(row.ldap_result)), row.hresult)
        << row.name;
  }
}

}  // namespace
