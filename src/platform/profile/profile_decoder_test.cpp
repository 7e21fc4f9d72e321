#include "profile_decoder.h"

#include <string>

#include <gtest/gtest.h>

#include <winerror.h>
#include <winnls.h>

namespace {

using namespace std::string_literals;

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::string text;  // in the code page under test
};

// Decodes bytes fed as two blocks split at `split`, so every row is also checked with a
// character, a surrogate pair or the byte order mark cut between blocks.
std::string Decode(const std::string& bytes, size_t split, UINT code_page) {
  ProfileDecoder decoder(code_page, bytes.size());
  decoder.Append(bytes.data(), split);
  decoder.Append(bytes.data() + split, bytes.size() - split);
  EXPECT_TRUE(decoder.Finish());
  return std::string(decoder.text().view());
}

void ExpectDecodes(const DecodeCase& c, UINT code_page) {
  for (size_t split = 0; split <= c.bytes.size(); ++split) {
    EXPECT_EQ(Decode(c.bytes, split, code_page), c.text) << c.name << ", split at " << split;
  }
}

TEST(ProfileDecoderTest, DecodesEachByteOrderMarkToUtf8) {
  const DecodeCase cases[] = {
      {"no mark: bytes kept as they are", "[s]\r\na=\xFF\xFE\x80\n", "[s]\r\na=\xFF\xFE\x80\n"},
      {"UTF-8 mark dropped", "\xEF\xBB\xBF[s]\na=\xE4\xB8\xAD", "[s]\na=\xE4\xB8\xAD"},
      {"UTF-8 mark dropped, invalid bytes kept", "\xEF\xBB\xBF\xC3(", "\xC3("},
      {"UTF-16LE", "\xFF\xFE[\0s\0]\0\r\0\n\0-\0\x2D\x4E"s, "[s]\r\n-\xE4\xB8\xAD"},
      {"UTF-16BE", "\xFE\xFF\0[\0s\0]\0\n\x4E\x2D"s, "[s]\n\xE4\xB8\xAD"},
      {"UTF-16LE surrogate pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},
      // Units just past ASCII, by their low byte (U+0080) or their high byte alone (U+0100),
      // first in a group of four units and last in one.
      {"UTF-16LE just past ASCII", "\xFF\xFE\x80\0b\0c\0d\0e\0f\0g\0\x00\x01"s,
       "\xC2\x80"
       "bcdefg\xC4\x80"},
      {"ANSI NUL bytes dropped", "[s\0]\na\0=b\n\0\0\0\n"s, "[s]\na=b\n\n"},
      {"UTF-16LE NUL units dropped",
       "\xFF\xFE"
       "a\0\0\0b\0"s,
       "ab"},
      {"UTF-8 NUL bytes dropped",
       "\xEF\xBB\xBF"
       "a\0b"s,
       "ab"},
      {"empty file", "", ""},
      {"one byte", "a", "a"},
      {"two bytes", "ab", "ab"},
      {"UTF-16LE mark only", "\xFF\xFE", ""},
      {"UTF-16BE mark only", "\xFE\xFF", ""},
      {"UTF-8 mark only", "\xEF\xBB\xBF", ""},
      {"half a UTF-8 mark is ANSI", "\xEF\xBB", "\xEF\xBB"},
  };
  for (const DecodeCase& c : cases) ExpectDecodes(c, CP_UTF8);
}

TEST(ProfileDecoderTest, ConvertsToADoubleByteCodePage) {
  constexpr UINT kGbk = 936;
  const DecodeCase cases[] = {
      {"UTF-16LE", "\xFF\xFE[\0\x2D\x4E]\0"s, "[\xD6\xD0]"},
      {"UTF-16BE", "\xFE\xFF\0[\x4E\x2D\0]"s, "[\xD6\xD0]"},
      {"UTF-8", "\xEF\xBB\xBF[\xE4\xB8\xAD]", "[\xD6\xD0]"},
      {"no mark: GBK bytes kept", "[\xD6\xD0]", "[\xD6\xD0]"},
  };
  for (const DecodeCase& c : cases) ExpectDecodes(c, kGbk);
}

// Text the code page holds is converted; a character it lacks, or damaged UTF-16 even in UTF-8,
// refuses the file, which would otherwise be read with '?' or U+FFFD in its place.
TEST(ProfileDecoderTest, RefusesTextTheCodePageCannotHold) {
  constexpr UINT kWesternEuropean = 1252;
  ExpectDecodes({"K\u00f6ln", "\xFF\xFEK\0\xF6\0l\0n\0"s, "K\xF6ln"}, kWesternEuropean);
  const struct {
    const char* name;
    UINT code_page;
    std::string bytes;
  } refused[] = {
      {"\u0141\u00f3d\u017a in CP1252", kWesternEuropean, "\xFF\xFE\x41\x01\xF3\0d\0\x7A\x01"s},
      {"U+0E01 in GBK, from UTF-8", 936, "\xEF\xBB\xBF[\xE0\xB8\x81]"},
      {"odd last byte", CP_UTF8,
       "\xFF\xFE"
       "a\0b"s},
      {"UTF-16BE odd last byte", CP_UTF8, "\xFE\xFF\0a\0"s},
      {"high surrogate at the end", CP_UTF8,
       "\xFF\xFE"
       "a\0\x3D\xD8"s},
      {"high surrogate then text", CP_UTF8,
       "\xFF\xFE\x3D\xD8"
       "a\0"s},
      {"two high surrogates then a low", CP_UTF8, "\xFF\xFE\x3D\xD8\x3D\xD8\x00\xDE"s},
      {"lone low surrogate", CP_UTF8,
       "\xFF\xFE"
       "a\0\x00\xDE"
       "b\0"s},
  };
  for (const auto& row : refused) {
    ProfileDecoder decoder(row.code_page, row.bytes.size());
    decoder.Append(row.bytes.data(), row.bytes.size());
    EXPECT_FALSE(decoder.Finish()) << row.name;
    EXPECT_EQ(decoder.error(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION)) << row.name;
  }
}

TEST(ProfileDecoderTest, DecodesBlocksLargerThanOneConversion) {
  // One unit before the pairs puts a high surrogate on the last unit of a conversion slice.
  std::string bytes =
      "\xFF\xFE"
      "a\0"s;
  std::string expected = "a";
  for (int i = 0; i < 700000; ++i) {
    bytes += "\x3D\xD8\x00\xDE"s;
    expected += "\xF0\x9F\x98\x80";
  }
  ProfileDecoder decoder(CP_UTF8, bytes.size());
  decoder.Append(bytes.data(), bytes.size());
  ASSERT_TRUE(decoder.Finish());
  EXPECT_EQ(decoder.text().view(), expected);
}

}  // namespace
