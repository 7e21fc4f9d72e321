#include "text_buffer.h"

#include <string>
#include <utility>

#include <gtest/gtest.h>

namespace {

// Appends in pieces of growing size, so the buffer is remapped many times, and checks that every
// byte written before a remap is still there after it.
TEST(TextBufferTest, KeepsItsBytesAcrossGrowthAndShrinking) {
  TextBuffer buffer;
  std::string expected;
  for (size_t piece = 1; expected.size() < (size_t{8} << 20); piece = piece * 3 / 2 + 1) {
    std::string bytes(piece, static_cast<char>('a' + piece % 26));
    buffer.Append(bytes.data(), bytes.size());
    expected += bytes;
  }
  ASSERT_EQ(buffer.view(), expected);

  buffer.Truncate(5000);
  buffer.ShrinkToFit();
  EXPECT_EQ(buffer.view(), expected.substr(0, 5000));
  buffer.Append('!');
  EXPECT_EQ(buffer.view(), expected.substr(0, 5000) + "!");

  buffer.Truncate(0);
  buffer.ShrinkToFit();
  EXPECT_TRUE(buffer.empty());
  buffer.Append("again", 5);
  EXPECT_EQ(buffer.view(), "again");
}

TEST(TextBufferTest, WritesThroughReserveAndMovesWhole) {
  TextBuffer buffer;
  char* room = buffer.Reserve(100);
  std::string text = "written in place";
  text.copy(room, text.size());
  buffer.Commit(text.size());

  TextBuffer moved(std::move(buffer));
  EXPECT_TRUE(buffer.empty());
  EXPECT_EQ(moved.view(), text);
  buffer = std::move(moved);
  EXPECT_EQ(buffer.view(), text);
}

}  // namespace
