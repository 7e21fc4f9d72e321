#include "source_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/bstr.h"
#include "common/hresult_error.h"
#include "support/code_page_switch.h"
#include "support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

// The separator of each platform's paths: a backslash on Windows; on Linux a backslash is an
// ordinary file-name character.
#ifdef _WIN32
const std::string kSeparator = "\\";
#else
const std::string kSeparator = "/";
#endif

// A path written with slashes, in the platform's spelling.
std::string Native(std::string path) {
  for (char& c : path) {
    if (c == '/') c = kSeparator[0];
  }
  return path;
}

class SourcePathTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.empty()); }

  // The completed path as 8-bit text, "<null>" when none was made.
  static std::string Completed(const char* program_path, const char* source) {
    UniqueBstr source_text(AnsiToBstr(source));
    UniqueBstr completed(CompleteSourcePath(program_path, source_text.get()));
    return completed.get() == nullptr ? "<null>" : BstrToAnsi(completed.get());
  }

  ScratchCurrentDirectory current_directory_;
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
      {"empty source", "regweave", "", folder_ + "/"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Completed(Native(row.program_path).c_str(), Native(row.source).c_str()),
              Native(row.expected))
        << row.name;
  }
  // The other platform's separator is an ordinary character (Windows: Wine takes the slash as a
  // separator too, but the tool looks only for the backslash).
#ifdef _WIN32
  EXPECT_EQ(Completed("/opt/x.exe", "f.reg"), folder_ + "\\f.reg") << "a slash is no separator";
#else
  EXPECT_EQ(Completed("C:\\tools\\x.exe", "f.reg"), folder_ + "/f.reg")
      << "a backslash is no separator";
#endif
}

TEST_F(SourcePathTest, CurrentDirectoryHasNoLengthLimit) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows' current directory is at most MAX_PATH long";
#endif
  std::string deep = folder_;
  for (int level = 0; level < 40; ++level) {
    deep += kSeparator + "folder-with-a-long-name";
    ASSERT_TRUE(fs::create_directory(deep));
  }
  fs::current_path(deep);
  ASSERT_GT(deep.size(), 2u * MAX_PATH);
  EXPECT_EQ(Completed("regweave", "f.reg"), deep + kSeparator + "f.reg");
}

TEST_F(SourcePathTest, RootDirectoryKeepsBothSeparators) {
  fs::current_path(fs::path(folder_).root_path());
  const std::string root = fs::current_path().string();
  EXPECT_EQ(Completed("regweave", "f.reg"), root + kSeparator + "f.reg");
}

// Linux only: Windows removes no folder that is a process's current directory.
#ifndef _WIN32
TEST_F(SourcePathTest, UnreadableCurrentDirectoryIsAFailure) {
  ASSERT_TRUE(fs::remove(folder_));
  try {
    Completed("regweave", "f.reg");
    FAIL() << "no failure raised";
  } catch (const HresultError& error) {
    EXPECT_EQ(error.value, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  }
  EXPECT_EQ(Completed("/opt/regweave", "f.reg"), "/opt/f.reg") << "not needed with a folder";
}
#endif

TEST_F(SourcePathTest, DoubleByteNamesUnderGbk) {
  REQUIRE_CODE_PAGE(936);
  EXPECT_EQ(Completed(Native("/\xD6\xD0/regweave").c_str(), "\x81\x5C.reg"),
            Native("/\xD6\xD0/\x81\x5C.reg"));
  EXPECT_EQ(Completed("\x81\x5C", "f.reg"), folder_ + kSeparator + "f.reg");
}

}  // namespace
