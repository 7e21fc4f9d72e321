#include "source_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "common/bstr.h"
#include "common/hresult_error.h"
#include "system/scoped_current_directory.h"
#include "system/test_locale.h"

namespace {

class SourcePathTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.empty()); }

  // The completed path as 8-bit text, "<null>" when none was made.
  static std::string Completed(const char* program_path, const char* source) {
    UniqueBstr source_text(AnsiToBstr(source));
    UniqueBstr completed(CompleteSourcePath(program_path, source_text.get()));
    return completed.get() == nullptr ? "<null>" : BstrToAnsi(completed.get());
  }

  ScopedCurrentDirectory current_directory_;
  const std::string folder_ = current_directory_.path();
};

TEST_F(SourcePathTest, ProgramFolderOrCurrentDirectory) {
  struct Row {
    const char* name;
    const char* program_path;
    const char* source;
    std::string expected;
  } rows[] = {
      {"program folder", "/opt/tools/regweave", "f.reg", "/opt/tools/f.reg"},
      {"relative program folder", "bin/regweave", "f.reg", "bin/f.reg"},
      {"program at the root", "/regweave", "f.reg", "/f.reg"},
      {"absolute source is still prefixed", "/opt/regweave", "/data/f.reg", "/opt//data/f.reg"},
      {"no folder: current directory", "regweave", "f.reg", folder_ + "/f.reg"},
      {"a backslash is no separator here", "C:\\tools\\x.exe", "f.reg", folder_ + "/f.reg"},
      {"empty source", "regweave", "", folder_ + "/"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Completed(row.program_path, row.source), row.expected) << row.name;
  }
}

TEST_F(SourcePathTest, CurrentDirectoryHasNoLengthLimit) {
  std::string deep = folder_;
  for (int level = 0; level < 40; ++level) {
    deep += "/folder-with-a-long-name";
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  }
  ASSERT_EQ(chdir(deep.c_str()), 0);
  ASSERT_GT(deep.size(), 2u * MAX_PATH);
  EXPECT_EQ(Completed("regweave", "f.reg"), deep + "/f.reg");
}

TEST_F(SourcePathTest, RootDirectoryKeepsBothSeparators) {
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(Completed("regweave", "f.reg"), "//f.reg");
}

TEST_F(SourcePathTest, UnreadableCurrentDirectoryIsAFailure) {
  ASSERT_EQ(rmdir(folder_.c_str()), 0);
  try {
    Completed("regweave", "f.reg");
    FAIL() << "no failure raised";
  } catch (const HresultError& error) {
    EXPECT_EQ(error.value, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  }
  EXPECT_EQ(Completed("/opt/regweave", "f.reg"), "/opt/f.reg") << "not needed with a folder";
}

TEST_F(SourcePathTest, DoubleByteNamesUnderGbk) {
  ScopedLocale locale(kGbkLocale);
  ASSERT_TRUE(locale.active());
  EXPECT_EQ(Completed("/\xD6\xD0/regweave", "\x81\x5C.reg"), "/\xD6\xD0/\x81\x5C.reg");
  EXPECT_EQ(Completed("\x81\x5C", "f.reg"), folder_ + "/f.reg");
}

}  // namespace
