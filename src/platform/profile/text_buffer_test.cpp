#include "text_buffer.h"

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "paged_array.h"

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

TEST(PagedArrayTest, HoldsRecordsAcrossGrowth) {
  struct Record {
    uint64_t key;
    uint32_t value;
  };
  PagedArray<Record> records;
  for (uint32_t i = 0; i < 300000; ++i) records.push_back(Record{i * 7u, i});
  ASSERT_EQ(records.size(), 300000u);
  for (uint32_t i = 0; i < 300000; i += 999) {
    EXPECT_EQ(records[i].key, i * 7u) << i;
    EXPECT_EQ(records[i].value, i) << i;
  }
  records.assign(3, Record{1, 2});
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[2].value, 2u);
}

}  // namespace
