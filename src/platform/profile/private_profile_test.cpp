#include <stdlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include <windows.h>

#include "support/test_locale.h"

namespace {

using namespace std::string_literals;

class PrivateProfileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "profile_XXXXXX";
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    for (const std::string& file : files_) unlink(file.c_str());
    rmdir(folder_.c_str());
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    files_.push_back(path);
    return path;
  }

  std::string folder_;
  std::vector<std::string> files_;
};

// Calls GetPrivateProfileSectionNamesA or GetPrivateProfileSectionA (when section is given) with a
// buffer of `size` bytes inside a larger one, and gives back every byte of that larger buffer.
struct Call {
  DWORD returned;
  DWORD error;
  std::string buffer;
};

Call Names(const std::string& path, DWORD size) {
  std::string buffer(size + 2, '#');
  SetLastError(0xdead);
  DWORD returned = GetPrivateProfileSectionNamesA(&buffer[0], size, path.c_str());
  return Call{returned, GetLastError(), buffer};
}

Call Section(const std::string& path, const char* section, DWORD size) {
  std::string buffer(size + 2, '#');
  SetLastError(0xdead);
  DWORD returned = GetPrivateProfileSectionA(section, &buffer[0], size, path.c_str());
  return Call{returned, GetLastError(), buffer};
}

const std::string kExample =
    "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n[section2]\r\n[section3]\r\n="
    "val5";

TEST_F(PrivateProfileTest, ListsNamesLikeWindows) {
  std::string path = Write("names.ini", "[ section1 ]\r\n[section2]\r\n[section3]\r\n");
  struct Row {
    DWORD size;
    DWORD returned;
    DWORD error;
    std::string buffer;
  } rows[] = {
      {29, 27, ERROR_SUCCESS, "section1\0section2\0section3\0\0###"s},
      {28, 26, ERROR_SUCCESS, "section1\0section2\0section3\0\0##"s},
      {27, 25, ERROR_MORE_DATA, "section1\0section2\0section\0\0##"s},
      {2, 0, ERROR_MORE_DATA, "\0\0##"s},
      {1, 0, ERROR_MORE_DATA, "\0##"s},
      {0, 0, ERROR_MORE_DATA, "##"s},
  };
  for (const Row& row : rows) {
    Call call = Names(path, row.size);
    EXPECT_EQ(call.returned, row.returned) << "size " << row.size;
    EXPECT_EQ(call.error, row.error) << "size " << row.size;
    EXPECT_EQ(call.buffer, row.buffer) << "size " << row.size;
  }
}

TEST_F(PrivateProfileTest, ReadsSectionsLikeWindows) {
  std::string path = Write("sections.ini", kExample);
  struct Row {
    const char* section;
    DWORD size;
    DWORD returned;
    DWORD error;
    std::string buffer;
  } rows[] = {
      {"section1", 40, 35, ERROR_SUCCESS, "name1=val1\0name2=\0name3\0name4=val4\0\0######"s},
      {"SECTION1", 36, 34, ERROR_SUCCESS, "name1=val1\0name2=\0name3\0name4=val4\0\0##"s},
      {"section1", 24, 22, ERROR_MORE_DATA, "name1=val1\0name2=\0name\0\0##"s},
      {"section2", 8, 0, ERROR_SUCCESS, "\0#########"s},
      {"section3", 8, 6, ERROR_SUCCESS, "=val5\0\0###"s},
      {"section4", 8, 0, ERROR_SUCCESS, "\0#########"s},
  };
  for (const Row& row : rows) {
    Call call = Section(path, row.section, row.size);
    EXPECT_EQ(call.returned, row.returned) << row.section << " size " << row.size;
    EXPECT_EQ(call.error, row.error) << row.section << " size " << row.size;
    EXPECT_EQ(call.buffer, row.buffer) << row.section << " size " << row.size;
  }
}

TEST_F(PrivateProfileTest, RefusesBadArgumentsAndMissingFiles) {
  std::string path = Write("args.ini", kExample);
  std::string missing = folder_ + "/missing.ini";
  char buffer[4] = {'#', '#', '#', '#'};
  struct Row {
    const char* name;
    DWORD returned;
    DWORD error;
    const char* buffer_after;
  };
  auto check = [&](const Row& row, DWORD returned) {
    EXPECT_EQ(returned, row.returned) << row.name;
    EXPECT_EQ(GetLastError(), row.error) << row.name;
    EXPECT_EQ(std::string(buffer, 4), std::string(row.buffer_after, 4)) << row.name;
    std::fill(buffer, buffer + 4, '#');
  };
  check({"names, null buffer", 0, ERROR_INVALID_PARAMETER, "####"},
        GetPrivateProfileSectionNamesA(nullptr, 4, path.c_str()));
  check({"names, null file", 0, ERROR_FILE_NOT_FOUND, "\0###"},
        GetPrivateProfileSectionNamesA(buffer, 4, nullptr));
  check({"names, missing file", 0, ERROR_FILE_NOT_FOUND, "\0###"},
        GetPrivateProfileSectionNamesA(buffer, 4, missing.c_str()));
  check({"names, missing folder", 0, ERROR_PATH_NOT_FOUND, "\0###"},
        GetPrivateProfileSectionNamesA(buffer, 4, (path + "/x.ini").c_str()));
  check({"names, a folder", 0, ERROR_ACCESS_DENIED, "\0###"},
        GetPrivateProfileSectionNamesA(buffer, 4, folder_.c_str()));
  check({"section, null section", 0, ERROR_INVALID_PARAMETER, "\0###"},
        GetPrivateProfileSectionA(nullptr, buffer, 4, path.c_str()));
  check({"section, null buffer", 0, ERROR_INVALID_PARAMETER, "####"},
        GetPrivateProfileSectionA("section1", nullptr, 4, path.c_str()));
  check({"section, null file", 0, ERROR_FILE_NOT_FOUND, "\0###"},
        GetPrivateProfileSectionA("section1", buffer, 4, nullptr));
  check({"section, missing file", 0, ERROR_FILE_NOT_FOUND, "\0###"},
        GetPrivateProfileSectionA("section1", buffer, 4, missing.c_str()));
  check({"section, missing file, size 0", 0, ERROR_FILE_NOT_FOUND, "####"},
        GetPrivateProfileSectionA("section1", buffer, 0, missing.c_str()));
}

// The same lines in every encoding the reader knows, with a name and a value outside ASCII.
TEST_F(PrivateProfileTest, ReadsEveryEncoding) {
  const std::string utf16le = "\xFF\xFE[\0\x2D\x4E]\0\r\0\n\0k\0 \0=\0 \0\xE9\0\r\0\n\0"s;
  const std::string utf16be = "\xFE\xFF\0[\x4E\x2D\0]\0\r\0\n\0k\0 \0=\0 \0\xE9\0\r\0\n"s;
  struct Row {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"ANSI", "[\xE4\xB8\xAD]\r\nk = \xC3\xA9\r\n"},
      {"UTF-8", "\xEF\xBB\xBF[\xE4\xB8\xAD]\r\nk = \xC3\xA9\r\n"},
      {"UTF-16LE", utf16le},
      {"UTF-16BE", utf16be},
  };
  for (const Row& row : rows) {
    std::string path = Write(std::string(row.name) + ".ini", row.bytes);
    EXPECT_EQ(Names(path, 16).buffer, "\xE4\xB8\xAD\0\0"s + std::string(13, '#')) << row.name;
    EXPECT_EQ(Section(path, "\xE4\xB8\xAD", 16).buffer.substr(0, 6), "k=\xC3\xA9\0\0"s) << row.name;
  }
}

void SetModified(const std::string& path, time_t seconds) {
  timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::string LinesOf(const std::string& path, const char* section) {
  Call call = Section(path, section, 64);
  return call.buffer.substr(0, call.returned);
}

// In GBK a trail byte can be ']' or an ASCII letter: neither may end a name or fold its case. The
// same UTF-16 file read first for UTF-8 and then for GBK must be converted again for GBK.
TEST_F(PrivateProfileTest, ReadsForADoubleByteCodePage) {
  std::string path =
      Write("gbk.ini",
            "\xFF\xFE[\0\x5A\x4E]\0\r\0\n\0k\0=\0\x2D\x4E\r\0\n\0"  // [U+4E5A] k=U+4E2D
            "[\0\x04\x4E]\0\n\0a\0=\0\x31\0\n\0"                    // [U+4E04] a=1
            "[\0\x64\x4E]\0\n\0b\0=\0\x32\0\n\0"s);                 // [U+4E64] b=2
  EXPECT_EQ(Names(path, 16).buffer.substr(0, 13), "\xE4\xB9\x9A\0\xE4\xB8\x84\0\xE4\xB9\xA4\0\0"s);

  ScopedLocale gbk(kGbkLocale);
  ASSERT_TRUE(gbk.active());
  EXPECT_EQ(Names(path, 16).buffer.substr(0, 10), "\x81\x5D\0\x81\x41\0\x81\x61\0\0"s);
  EXPECT_EQ(LinesOf(path, "\x81\x5D"), "k=\xD6\xD0\0"s);
  EXPECT_EQ(LinesOf(path, "\x81\x41"), "a=1\0"s);
  EXPECT_EQ(LinesOf(path, "\x81\x61"), "b=2\0"s);
}

// Each rewrite keeps what a careless cache might key on alone: the path, and the size or the
// modification time. (Times are set explicitly: file system clocks tick too coarsely to tell
// two quick writes apart.)
TEST_F(PrivateProfileTest, ReadsAChangedFileAgain) {
  std::string path = Write("changing.ini", "[s]\na=1\n");
  SetModified(path, 1000000000);
  EXPECT_EQ(LinesOf(path, "s"), "a=1\0"s);

  Write("changing.ini", "[s]\na=2\n");
  SetModified(path, 1000000001);
  EXPECT_EQ(LinesOf(path, "s"), "a=2\0"s) << "same size, new modification time";

  Write("changing.ini", "[s]\na=33\n");
  SetModified(path, 1000000001);
  EXPECT_EQ(LinesOf(path, "s"), "a=33\0"s) << "new size, same modification time";

  std::string replacement = Write("replacement.ini", "[s]\na=44\n");
  SetModified(replacement, 1000000001);
  ASSERT_EQ(rename(replacement.c_str(), path.c_str()), 0);
  EXPECT_EQ(LinesOf(path, "s"), "a=44\0"s) << "replaced by another file of the same size and time";

  std::string other = Write("other.ini", "[s]\na=55\n");
  SetModified(other, 1000000001);
  EXPECT_EQ(LinesOf(other, "s"), "a=55\0"s) << "another path";
  EXPECT_EQ(LinesOf(path, "s"), "a=44\0"s) << "back to the first path";

  ASSERT_EQ(unlink(path.c_str()), 0);
  Call removed = Section(path, "s", 64);
  EXPECT_EQ(removed.returned, 0u) << "removed after it was read";
  EXPECT_EQ(removed.error, DWORD{ERROR_FILE_NOT_FOUND}) << "removed after it was read";
}

TEST_F(PrivateProfileTest, SurvivesBinaryFiles) {
  std::string binary;
  uint32_t state = 12345;
  for (int i = 0; i < 1 << 20; ++i) {
    state = state * 1103515245 + 12345;
    binary.push_back(static_cast<char>(state >> 16));
  }
  struct Row {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"random", binary},
      {"random as UTF-16LE", "\xFF\xFE" + binary + "x"},
      {"NULs", std::string(1 << 16, '\0')},
      {"brackets", std::string(1 << 16, '[')},
  };
  for (const Row& row : rows) {
    std::string path = Write(std::string(row.name) + ".ini", row.bytes);
    std::string names(row.bytes.size() * 2 + 2, '#');
    DWORD returned = GetPrivateProfileSectionNamesA(&names[0], names.size(), path.c_str());
    ASSERT_LT(returned, names.size() - 2) << row.name;
    EXPECT_EQ(names.substr(returned, 1), "\0"s) << row.name;
    const char* first = names.c_str();
    if (*first != '\0') {
      std::string lines(row.bytes.size() * 2 + 2, '#');
      GetPrivateProfileSectionA(first, &lines[0], lines.size(), path.c_str());
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << row.name;
    }
  }
}

}  // namespace
