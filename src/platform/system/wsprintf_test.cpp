#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include <windows.h>

namespace {

std::string Format32(const char* format, LONG value) {
  char buffer[1024];
  int length = wsprintfA(buffer, format, value);
  EXPECT_EQ(size_t(length), std::string(buffer).size()) << format;
  return buffer;
}

TEST(WsprintfTest, ThirtyTwoBitIntegers) {
  struct Row {
    const char* format;
    LONG value;
    const char* expected;
  } rows[] = {
      {"%0lX", LONG(0x80070057), "80070057"},
      {"Unknown error 0x%0lX", LONG(0x80040200), "Unknown error 0x80040200"},
      {"%lx", -1, "ffffffff"},
      {"%d", -5, "-5"},
      {"%i", 42, "42"},
      {"%ld", LONG(0x80000000), "-2147483648"},
      {"%u", -1, "4294967295"},
      {"%lu", -1, "4294967295"},
      {"%x", 255, "ff"},
      {"%X", 255, "FF"},
      {"%08x", 0x1234, "00001234"},
      {"%08d", -12, "-0000012"},
      {"[%5d]", 42, "[   42]"},
      {"[%-5d]", 42, "[42   ]"},
      {"[%-05d]", 42, "[42   ]"},
      {"%#x", 255, "0xff"},
      {"%#X", 0, "0"},
      {"%.3d", 7, "007"},
      {"%hd", 0x12345, "9029"},
      {"%hu", -1, "65535"},
      {"%hx", 0x12345, "2345"},
      {"IDispatch error #%d", 1, "IDispatch error #1"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(Format32(row.format, row.value), row.expected) << row.format;
}

TEST(WsprintfTest, SixtyFourBitIntegers) {
  char buffer[64];
  wsprintfA(buffer, "%I64d|%I64X|%I64u", int64_t(-1), int64_t(0x123456789A), uint64_t(1) << 63);
  EXPECT_STREQ(buffer, "-1|123456789A|9223372036854775808");
}

TEST(WsprintfTest, TextAndCharacters) {
  struct Row {
    const char* format;
    const char* expected;
    std::string (*run)(const char* format);
  };
  auto narrow = [](const char* format) {
    char buffer[64];
    wsprintfA(buffer, format, "abc");
    return std::string(buffer);
  };
  auto wide = [](const char* format) {
    char buffer[64];
    wsprintfA(buffer, format, u"w\u00E9");
    return std::string(buffer);
  };
  auto null_text = [](const char* format) {
    char buffer[64];
    wsprintfA(buffer, format, static_cast<const char*>(nullptr));
    return std::string(buffer);
  };
  auto character = [](const char* format) {
    char buffer[64];
    wsprintfA(buffer, format, 'x', u'\u00E9');
    return std::string(buffer);
  };
  const Row rows[] = {
      {"%s", "abc", narrow},         {"%hs", "abc", narrow},
      {"%.2s", "ab", narrow},        {"[%5s]", "[  abc]", narrow},
      {"[%-5s]", "[abc  ]", narrow}, {"%S", "w\xC3\xA9", wide},
      {"%ls", "w\xC3\xA9", wide},    {"%.1S", "w", wide},
      {"%s", "(null)", null_text},   {"%c%C", "x\xC3\xA9", character},
      {"100%%", "100%", narrow},     {"%y", "y", narrow},
  };
  for (const Row& row : rows) EXPECT_EQ(row.run(row.format), row.expected) << row.format;
}

TEST(WsprintfTest, OutputStopsAt1023Characters) {
  std::string long_text(3000, 'a');
  char buffer[1100];
  EXPECT_EQ(wsprintfA(buffer, "%s%s", long_text.c_str(), "tail"), 1023);
  EXPECT_EQ(std::string(buffer), std::string(1023, 'a'));
}

}  // namespace
