#include "change_listing.h"

#include <cstdio>
#include <string>

#include <windows.h>

#include "common/bstr.h"
#include "fragment/fragment_text.h"
#include "fragment/value_entry.h"

namespace {

// Data text longer than this is cut, so that a value of 64 KB stays one readable line.
constexpr size_t kMostDataShown = 60;

// "[ROOT\path]", then the value's name, "=" and its data; a key-only record is its key alone.
WideText RecordText(const PolicyRecord& record, const char* root_name) {
  WideText text = SectionName(root_name, record.path);
  if (record.key_only) return text;
  text.push_back(WCHAR{' '});
  text.append(ValueNameText(record.value));
  text.push_back(WCHAR{'='});
  text.append(ValueDataText(record.value, kMostDataShown));
  return text;
}

// As the tool prints names elsewhere: in the ANSI code page.
std::string InCodePage(const WideText& text) {
  return WideToAnsi(text.data(), text.size());
}

void PrintChange(const PolicyChange& change, const char* root_name) {
  switch (change.kind) {
    case PolicyChange::Kind::Added:
      std::printf("Would add     %s\n", InCodePage(RecordText(change.after, root_name)).c_str());
      break;
    case PolicyChange::Kind::Changed:
      std::printf("Would change  %s -> %s\n",
                  InCodePage(RecordText(change.before, root_name)).c_str(),
                  InCodePage(ValueDataText(change.after.value, kMostDataShown)).c_str());
      break;
    case PolicyChange::Kind::Removed:
      std::printf("Would remove  %s\n", InCodePage(RecordText(change.before, root_name)).c_str());
      break;
  }
}

}  // namespace

void PrintPolicyChanges(const PolicyComparison& comparison, const char* root_name) {
  unsigned long added = 0, changed = 0, removed = 0;
  for (const PolicyChange& change : comparison.changes) {
    PrintChange(change, root_name);
    ++(change.kind == PolicyChange::Kind::Added     ? added
       : change.kind == PolicyChange::Kind::Changed ? changed
                                                    : removed);
  }
  std::printf("%lu to add, %lu to change, %lu to remove, %lu unchanged.\n", added, changed, removed,
              static_cast<unsigned long>(comparison.unchanged));
  std::printf("Nothing was saved (/whatif).\n");
}
