#include "multi_string_writer.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

struct WriterCase {
  const char* name;
  std::vector<std::string> pieces;
  DWORD size;
  std::string expected;  // the buffer's bytes after Finish; '#' marks a byte left alone
  DWORD returned;
  bool truncated;
};

const std::string kNames = "section1\0section2\0section3\0"s;
const std::string kSection = "name1=val1\0name2=\0name3\0name4=val4\0"s;

TEST(MultiStringWriterTest, FillsLikeWindows) {
  const WriterCase cases[] = {
      {"room to spare", {kNames}, 29, kNames + "\0#"s, 27, false},
      {"exact fit returns size-2 but is whole", {kNames}, 28, kNames + "\0"s, 26, false},
      {"one byte short cuts the last name",
       {kNames},
       27,
       "section1\0section2\0section\0\0"s,
       25,
       true},
      {"cut inside a line", {kSection}, 24, "name1=val1\0name2=\0name\0\0"s, 22, true},
      {"cut right after a string", {"ab\0cd\0"s}, 5, "ab\0\0\0"s, 3, true},
      {"strings filling size-2 exactly", {"ab\0"s}, 5, "ab\0\0#"s, 3, false},
      {"pieces joined", {"a=1\0"s, "b=2\0"s}, 10, "a=1\0b=2\0\0#"s, 8, false},
      {"cut across pieces", {"a=1\0"s, "b=2\0"s, "c=3\0"s}, 8, "a=1\0b=\0\0"s, 6, true},
      {"nothing to give", {}, 4, "\0###"s, 0, false},
      {"size 2 with strings", {kNames}, 2, "\0\0"s, 0, true},
      {"size 1 with strings", {kNames}, 1, "\0"s, 0, true},
      {"size 1, nothing to give", {}, 1, "\0"s, 0, false},
  };
  for (const WriterCase& c : cases) {
    std::string buffer(c.size + 2, '#');
    MultiStringWriter writer(&buffer[0], c.size);
    for (const std::string& piece : c.pieces) writer.Append(piece);
    EXPECT_EQ(writer.Finish(), c.returned) << c.name;
    EXPECT_EQ(writer.truncated(), c.truncated) << c.name;
    EXPECT_EQ(buffer, c.expected + "##") << c.name;
  }
}

TEST(MultiStringWriterTest, SizeZeroWritesNothing) {
  char byte = '#';
  MultiStringWriter writer(&byte, 0);
  writer.Append(kNames);
  EXPECT_EQ(writer.Finish(), 0u);
  EXPECT_TRUE(writer.truncated());
  EXPECT_EQ(byte, '#');
}

}  // namespace
