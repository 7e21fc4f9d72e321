// The columns a directory search hands out: each ADS_SEARCH_COLUMN's name and values live in a
// block this store owns, found again through hReserved when the column is freed.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <activeds.h>

#include "directory_entry.h"

class ColumnStore {
 public:
  ColumnStore();
  ~ColumnStore();
  ColumnStore(const ColumnStore&) = delete;
  ColumnStore& operator=(const ColumnStore&) = delete;

  // Fills the column with the values as text of the given string type; bytes that are not
  // UTF-8 become U+FFFD. The column must be empty (see Clear).
  void Fill(std::u16string_view name, ADSTYPE type, const std::vector<std::string>& values,
            ADS_SEARCH_COLUMN* column);
  // Releases what Fill put in the column and empties it; false, touching nothing, when the
  // column holds nothing this store filled.
  bool Free(ADS_SEARCH_COLUMN* column);

 private:
  struct Block;
  std::map<HANDLE, std::unique_ptr<Block>> blocks_;
};

// The values a search row has for a column: the attribute's values, or, for distinguishedName,
// the row's own DN when the server does not keep it as an attribute and the search asked for
// it. Empty when the column is not set.
std::vector<std::string> ColumnValues(const DirectoryEntry& row, std::string_view column,
                                      bool dn_requested);

// ADSTYPE_DN_STRING for distinguishedName, ADSTYPE_CASE_IGNORE_STRING for every other column:
// the provider reads no schema, so other values are handed out as text.
ADSTYPE ColumnType(std::string_view column);

// An empty column, so that freeing it after a failed GetColumn is harmless.
void ClearColumn(ADS_SEARCH_COLUMN* column);
