#include "source_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "common/bstr.h"
#include "common/hresult_error.h"
#include "system/test_locale.h"

namespace {

// A fresh current directory for each test, and the previous one back afterwards.
class SourcePathTest : public testing::Test {
 protected:
  void SetUp() override {
    char* previous = getcwd(nullptr, 0);
    previous_ = previous;
    std::free(previous);
    char pattern[] = "/tmp/regweave-source-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ASSERT_EQ(chdir(folder_.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(previous_.c_str()), 0);
    std::string remove = "rm -rf '" + folder_ + "'";
    ASSERT_EQ(std::system(remove.c_str()), 0);
  }

  // The completed path as 8-bit text, "<null>" when none was made.
  static std::string Completed(const char* program_path, const char* source) {
    UniqueBstr source_text(AnsiToBstr(source));
    UniqueBstr completed(CompleteSourcePath(program_path, source_text.get()));
    return completed.get() == nullptr ? "<null>" : BstrToAnsi(completed.get());
  }

  std::string previous_;
  std::string folder_;
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
