#include "key_path.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(SplitKeyPathTest, FollowsWindowsPathRules) {
  const std::u16string longest(255, u'k');
  struct Row {
    std::u16string path;
    LSTATUS status;
    std::vector<std::u16string> names;
  };
  const Row rows[] = {
      {u"", ERROR_SUCCESS, {}},
      {u"A", ERROR_SUCCESS, {u"A"}},
      {u"Software\\Policies", ERROR_SUCCESS, {u"Software", u"Policies"}},
      {u"A\\", ERROR_SUCCESS, {u"A"}},
      {u"A\\B\\\\\\", ERROR_SUCCESS, {u"A", u"B"}},
      {u"A;B\\C D/E", ERROR_SUCCESS, {u"A;B", u"C D/E"}},
      {u"A\\\\B", ERROR_SUCCESS, {u"A", u"B"}},
      {longest, ERROR_SUCCESS, {longest}},
      {u"\\", ERROR_BAD_PATHNAME, {}},
      {u"\\A", ERROR_BAD_PATHNAME, {}},
      {u"\\\\A", ERROR_BAD_PATHNAME, {}},
      {longest + u"k", ERROR_INVALID_PARAMETER, {}},
      {u"A\\" + longest + u"k\\B", ERROR_INVALID_PARAMETER, {}},
  };
  for (const Row& row : rows) {
    std::string shown(row.path.begin(), row.path.end());
    KeyNames names;
    EXPECT_EQ(SplitKeyPath(row.path, &names), row.status) << shown;
    if (row.status != ERROR_SUCCESS) continue;
    EXPECT_EQ(std::vector<std::u16string>(names.begin(), names.end()), row.names) << shown;
  }
}

}  // namespace
