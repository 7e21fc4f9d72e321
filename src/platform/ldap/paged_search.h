// A subtree search that the server answers a page at a time (the paged-results control), so
// its limit on one answer (1,000 entries in Active Directory) never cuts the result short.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "directory_entry.h"
#include "ldap_connection.h"

class PagedSearch {
 public:
  // No attribute list asks for all user attributes.
  // Counts as open on the connection (LdapConnection::AddOpenSearch) until it goes.
  PagedSearch(std::shared_ptr<LdapConnection> connection, std::string base, std::string filter,
              std::optional<std::vector<std::string>> attributes);
  ~PagedSearch();
  PagedSearch(const PagedSearch&) = delete;
  PagedSearch& operator=(const PagedSearch&) = delete;

  // Asks for the first page. A search that fails before any entry arrived fails here.
  HRESULT Start();
  // Moves to the next entry, asking for the next page when this one is used up: S_OK,
  // S_ADS_NOMORE_ROWS at the end, or the failure that ended the search early (after the
  // entries that came before it, which are never dropped silently).
  HRESULT Next();
  // The entry Next moved to; null before the first and after the last.
  const DirectoryEntry* current() const { return current_; }
  // Whether the search asked the server for this attribute (every one, without a list).
  bool Requested(std::string_view attribute) const;
  // The entry at dn (compared without case) in the page fetched last; null when it holds none.
  const DirectoryEntry* Fetched(std::string_view dn) const;

 private:
  void FetchPage();
  bool ReadPageResponse(LDAPMessage* result);

  std::shared_ptr<LdapConnection> connection_;
  std::string base_;
  std::string filter_;
  std::optional<std::vector<std::string>> attributes_;
  std::vector<DirectoryEntry> page_;
  size_t next_ = 0;
  const DirectoryEntry* current_ = nullptr;
  std::string cookie_;  // the server's position in the result; empty after the last page
  HRESULT ending_;      // what Next reports once the fetched entries are used up
};
