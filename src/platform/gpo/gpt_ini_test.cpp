#include "gpo/gpt_ini.h"

#include <gtest/gtest.h>

namespace {

TEST(GptIniTest, ReadsVersion) {
  struct Row {
    const char* name;
    std::string text;
    DWORD version;
  };
  const Row rows[] = {
      {"missing file", "", 0},
      {"samba's own", "[General]\r\nVersion=0\r\n", 0},
      {"blanks and case", "[ general ]\n  VERSION = 65537  \n", 65537},
      {"CR line ends", "[General]\rdisplayName=x\rVersion=12\r", 12},
      {"no line end at all", "[General]\r\nVersion=7", 7},
      {"other section ignored", "[Other]\r\nVersion=9\r\n[General]\r\nVersion=3\r\n", 3},
      {"only in other section", "[Other]\r\nVersion=9\r\n", 0},
      {"before any section", "Version=9\r\n[General]\r\n", 0},
      {"comment line", "[General]\r\n;Version=9\r\nVersion=4\r\n", 4},
      {"no Version key", "[General]\r\ndisplayName=New\r\n", 0},
      {"not a number", "[General]\r\nVersion=abc\r\n", 0},
      {"empty value", "[General]\r\nVersion=\r\n", 0},
      {"beyond 32 bits", "[General]\r\nVersion=4294967296\r\n", 0},
      {"largest unsigned", "[General]\r\nVersion=4294967295\r\n", 0xFFFFFFFF},
      {"signed top bit", "[General]\r\nVersion=-2147483648\r\n", 0x80000000},
      {"minus one", "[General]\r\nVersion=-1\r\n", 0xFFFFFFFF},
      {"below signed range", "[General]\r\nVersion=-2147483649\r\n", 0},
      {"largest of duplicates", "[General]\r\nVersion=5\r\n[general]\r\nversion=8\r\n", 8},
      {"duplicate beside garbage", "[General]\r\nVersion=x\r\nVersion=6\r\n", 6},
      {"utf-8 byte-order mark", "\xEF\xBB\xBF[General]\r\nVersion=11\r\n", 11},
  };
  for (const Row& row : rows) {
    DWORD version = 0xDEAD;
    EXPECT_EQ(ReadGptIniVersion(row.text, &version), S_OK) << row.name;
    EXPECT_EQ(version, row.version) << row.name;
  }
}

TEST(GptIniTest, RefusesTextThatIsNotAnsi) {
  const std::string rows[] = {
      std::string("\xFF\xFE[\0G\0", 6),
      std::string("\xFE\xFF\0[\0G", 6),
      std::string("[\0G\0e\0n\0", 8),
  };
  for (const std::string& text : rows) {
    DWORD version = 0;
    EXPECT_EQ(ReadGptIniVersion(text, &version), HRESULT_FROM_WIN32(ERROR_INVALID_DATA))
        << "text of " << text.size() << " bytes";
  }
}

TEST(GptIniTest, RewritesOnlyTheVersion) {
  struct Row {
    const char* name;
    std::string text;
    std::string expected;
  };
  const Row rows[] = {
      {"missing file", "", "[General]\r\nVersion=42\r\n"},
      {"crlf kept", "[General]\r\nVersion=0\r\n", "[General]\r\nVersion=42\r\n"},
      {"lf kept, other lines kept", "; note\n[General]\ndisplayName=A = B\nVersion=1\n[X]\nk=v\n",
       "; note\n[General]\ndisplayName=A = B\nVersion=42\n[X]\nk=v\n"},
      {"spacing and spelling kept", "[general]\r\n  version = 3  \r\n",
       "[general]\r\n  version = 42  \r\n"},
      {"garbage value replaced", "[General]\r\nVersion=abc\r\nx=1\r\n",
       "[General]\r\nVersion=42\r\nx=1\r\n"},
      {"empty value filled", "[General]\r\nVersion=\r\n", "[General]\r\nVersion=42\r\n"},
      {"every duplicate raised", "[General]\nVersion=1\n[X]\nVersion=9\n[General]\nVersion=2\n",
       "[General]\nVersion=42\n[X]\nVersion=9\n[General]\nVersion=42\n"},
      {"missing key added under header", "[General]\r\ndisplayName=N\r\n",
       "[General]\r\nVersion=42\r\ndisplayName=N\r\n"},
      {"header ends the file", "[X]\nk=v\n[General]", "[X]\nk=v\n[General]\nVersion=42\n"},
      {"missing section appended", "[X]\rk=v\r", "[X]\rk=v\r[General]\rVersion=42\r"},
      {"appended after unterminated line", "[X]\r\nk=v",
       "[X]\r\nk=v\r\n[General]\r\nVersion=42\r\n"},
      {"byte-order mark kept", "\xEF\xBB\xBF[General]\r\nVersion=1\r\n",
       "\xEF\xBB\xBF[General]\r\nVersion=42\r\n"},
      {"mixed line ends kept", "[General]\nVersion=1\r\nx=2\r", "[General]\nVersion=42\r\nx=2\r"},
  };
  for (const Row& row : rows) {
    std::string rewritten = RewriteGptIniVersion(row.text, 42);
    EXPECT_EQ(rewritten, row.expected) << row.name;
    DWORD version = 0;
    EXPECT_EQ(ReadGptIniVersion(rewritten, &version), S_OK) << row.name;
    EXPECT_EQ(version, 42u) << row.name;
  }
}

TEST(GptIniTest, WritesLargeVersionsUnsigned) {
  EXPECT_EQ(RewriteGptIniVersion("[General]\r\nVersion=-1\r\n", 0x80010001),
            "[General]\r\nVersion=2147549185\r\n");
}

}  // namespace
