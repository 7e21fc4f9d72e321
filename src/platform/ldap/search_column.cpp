#include "search_column.h"

#include "directory_text.h"
#include "system/ascii_text.h"

namespace {

constexpr std::string_view kDistinguishedName = "distinguishedName";

}  // namespace

struct ColumnStore::Block {
  std::u16string name;
  std::vector<std::u16string> texts;
  std::vector<ADSVALUE> values;
};

ColumnStore::ColumnStore() = default;
ColumnStore::~ColumnStore() = default;

void ColumnStore::Fill(std::u16string_view name, ADSTYPE type,
                       const std::vector<std::string>& values, ADS_SEARCH_COLUMN* column) {
  auto block = std::make_unique<Block>();
  block->name = name;
  block->texts.reserve(values.size());
  for (const std::string& value : values) block->texts.push_back(OleFromDirectory(value));
  block->values.resize(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    block->values[i].dwType = type;
    // Every string type shares the union's first member.
    block->values[i].CaseIgnoreString = block->texts[i].data();
  }
  column->pszAttrName = block->name.data();
  column->dwADsType = type;
  column->pADsValues = block->values.empty() ? nullptr : block->values.data();
  column->dwNumValues = static_cast<DWORD>(block->values.size());
  column->hReserved = block.get();
  blocks_[block.get()] = std::move(block);
}

bool ColumnStore::Free(ADS_SEARCH_COLUMN* column) {
  auto found = blocks_.find(column->hReserved);
  if (found == blocks_.end()) return false;
  blocks_.erase(found);
  ClearColumn(column);
  return true;
}

std::vector<std::string> ColumnValues(const DirectoryEntry& row, std::string_view column,
                                      bool dn_requested) {
  const DirectoryAttribute* attribute = row.Find(column);
  if (attribute != nullptr && !attribute->values.empty()) return attribute->values;
  if (dn_requested && SameIgnoringAsciiCase(column, kDistinguishedName)) return {row.dn};
  return {};
}

ADSTYPE ColumnType(std::string_view column) {
  return SameIgnoringAsciiCase(column, kDistinguishedName) ? ADSTYPE_DN_STRING
                                                           : ADSTYPE_CASE_IGNORE_STRING;
}

void ClearColumn(ADS_SEARCH_COLUMN* column) {
  column->pszAttrName = nullptr;
  column->dwADsType = ADSTYPE_INVALID;
  column->pADsValues = nullptr;
  column->dwNumValues = 0;
  column->hReserved = nullptr;
}
