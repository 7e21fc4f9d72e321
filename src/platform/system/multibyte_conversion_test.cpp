#include <gtest/gtest.h>

#include <random>
#include <string>

#include <windows.h>

#include "support/test_locale.h"

namespace {

std::u16string ToWide(UINT code_page, const std::string& text, DWORD flags = 0) {
  int length = MultiByteToWideChar(code_page, flags, text.data(), int(text.size()), nullptr, 0);
  std::u16string result(size_t(length > 0 ? length : 0), u'\0');
  if (length > 0) {
    MultiByteToWideChar(code_page, flags, text.data(), int(text.size()), &result[0], length);
  }
  return result;
}

std::string ToAnsi(UINT code_page, const std::u16string& text, DWORD flags = 0,
                   const char* default_char = nullptr, BOOL* used_default = nullptr) {
  int length = WideCharToMultiByte(code_page, flags, text.data(), int(text.size()), nullptr, 0,
                                   default_char, used_default);
  std::string result(size_t(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(code_page, flags, text.data(), int(text.size()), &result[0], length,
                        default_char, used_default);
  }
  return result;
}

std::string Hex(const std::u16string& text) {
  std::string hex;
  for (char16_t c : text) hex += " " + std::to_string(unsigned(c));
  return hex;
}

struct DecodeRow {
  const char* name;
  std::string bytes;
  std::u16string wide;
};

TEST(MultiByteToWideCharTest, Utf8WellFormedAndIllFormed) {
  const DecodeRow rows[] = {
      {"ascii", "abc", u"abc"},
      {"two bytes", "\xC3\xA9", u"\u00E9"},
      {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
      {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"embedded nul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"lone continuation", "\x80", u"\uFFFD"},
      {"lead at the end", "a\xC3", u"a\uFFFD"},
      {"cut three-byte sequence is one replacement", "\xE2\x82z", u"\uFFFDz"},
      {"surrogate code point", "\xED\xA0\x80", u"\uFFFD\uFFFD"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"bad second byte keeps the byte", "\xE2(\xA1", u"\uFFFD(\uFFFD"},
      {"FE and FF", "\xFE\xFF", u"\uFFFD\uFFFD"},
  };
  for (const DecodeRow& row : rows) {
    EXPECT_EQ(Hex(ToWide(CP_UTF8, row.bytes)), Hex(row.wide)) << row.name;
  }
}

TEST(MultiByteToWideCharTest, StrictRefusesIllFormedUtf8) {
  const std::string bad[] = {"\x80", "a\xC3", "\xED\xA0\x80", "\xC0\xAF"};
  for (const std::string& bytes : bad) {
    char16_t buffer[8];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()),
                                  buffer, 8),
              0)
        << Hex(std::u16string(bytes.begin(), bytes.end()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
  }
  EXPECT_EQ(ToWide(CP_UTF8, "\xC3\xA9", MB_ERR_INVALID_CHARS), u"\u00E9") << "valid text passes";
}

TEST(MultiByteToWideCharTest, LengthsAndBuffers) {
  char16_t buffer[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, nullptr, 0), 3) << "-1 counts the NUL";
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, buffer, 8), 3);
  EXPECT_EQ(std::u16string(buffer), u"ab");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 2, buffer, 8), 2) << "explicit length";
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, buffer, 3), 3) << "exact fit";

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, buffer, 2), 0) << "no room for the NUL";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", 4, buffer, 1), 0)
      << "a surrogate pair needs two units";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
}

TEST(MultiByteToWideCharTest, InvalidArguments) {
  char16_t buffer[8];
  struct Row {
    const char* name;
    UINT code_page;
    DWORD flags;
    const char* source;
    int source_length;
    char16_t* target;
    int target_size;
    DWORD error;
  } rows[] = {
      {"null source", CP_UTF8, 0, nullptr, 3, buffer, 8, ERROR_INVALID_PARAMETER},
      {"zero length", CP_UTF8, 0, "a", 0, buffer, 8, ERROR_INVALID_PARAMETER},
      {"length below -1", CP_UTF8, 0, "a", -2, buffer, 8, ERROR_INVALID_PARAMETER},
      {"size without buffer", CP_UTF8, 0, "a", 1, nullptr, 8, ERROR_INVALID_PARAMETER},
      {"negative size", CP_UTF8, 0, "a", 1, buffer, -1, ERROR_INVALID_PARAMETER},
      {"unknown code page", 12345, 0, "a", 1, buffer, 8, ERROR_INVALID_PARAMETER},
      {"precomposed with UTF-8", CP_UTF8, MB_PRECOMPOSED, "a", 1, buffer, 8, ERROR_INVALID_FLAGS},
      {"unknown flag", 1252, 0x1000, "a", 1, buffer, 8, ERROR_INVALID_FLAGS},
  };
  for (const Row& row : rows) {
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(row.code_page, row.flags, row.source, row.source_length,
                                  row.target, row.target_size),
              0)
        << row.name;
    EXPECT_EQ(GetLastError(), row.error) << row.name;
  }
}

TEST(WideCharToMultiByteTest, Utf8) {
  struct Row {
    const char* name;
    std::u16string wide;
    std::string bytes;
  } rows[] = {
      {"ascii", u"abc", "abc"},
      {"latin-1", u"\u00E9", "\xC3\xA9"},
      {"bmp", u"\u4E2D", "\xE4\xB8\xAD"},
      {"surrogate pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
      {"lone high surrogate", std::u16string(1, char16_t(0xD800)) + u"x", "\xEF\xBF\xBDx"},
      {"lone low surrogate", std::u16string(1, char16_t(0xDC00)), "\xEF\xBF\xBD"},
  };
  for (const Row& row : rows) EXPECT_EQ(ToAnsi(CP_UTF8, row.wide), row.bytes) << row.name;

  std::u16string lone(1, char16_t(0xD800));
  char buffer[8];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone.data(), 1, buffer, 8, nullptr,
                                nullptr),
            0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));

  BOOL used = FALSE;
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, buffer, 8, nullptr, &used), 0)
      << "UTF-8 takes no default character";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9", -1, nullptr, 0, nullptr, nullptr), 3)
      << "-1 counts the NUL";
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9", 1, buffer, 1, nullptr, nullptr), 0)
      << "a character is never split";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
}

// Non-ASCII characters at every offset around the eight-byte steps of the ASCII fast path.
TEST(MultiByteToWideCharTest, Utf8RoundTripsAtEveryAlignment) {
  std::mt19937 random(42);
  const char16_t samples[] = {u'a', u'\u00E9', u'\u4E2D', 0xD83D, u'z', u'\u07FF', u'\uFFFD'};
  std::u16string wide;
  for (int i = 0; i < 20000; ++i) {
    char16_t c = samples[random() % 7];
    if (random() % 4 != 0) c = u'a' + char16_t(random() % 26);
    wide += c;
    if (c == 0xD83D) wide += char16_t(0xDE00);
  }
  std::string bytes = ToAnsi(CP_UTF8, wide);
  EXPECT_EQ(ToWide(CP_UTF8, bytes), wide);
}

TEST(CodePageConversionTest, GbkByNumber) {
  struct Row {
    const char* name;
    std::string bytes;
    std::u16string wide;
  } rows[] = {
      {"two characters", "\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},
      {"trail byte is a backslash", "\x81\x5C\\", u"\u4E57\\"},
      {"ascii stays ascii", "a\\b", u"a\\b"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Hex(ToWide(936, row.bytes)), Hex(row.wide)) << row.name;
    EXPECT_EQ(ToAnsi(936, row.wide), row.bytes) << row.name;
  }
  EXPECT_EQ(Hex(ToWide(936, "a\x81")), Hex(u"a\uFFFD")) << "lead byte cut off at the end";
  char16_t buffer[4];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "a\x81", 2, buffer, 4), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
}

// The CP1255 and CP1258 converters keep each character back until they see whether a combining
// mark follows; the last one, and the one before a byte that is no character, must still come out.
TEST(CodePageConversionTest, CharactersHeldBackComeOut) {
  struct Row {
    const char* name;
    UINT code_page;
    std::string bytes;
    std::u16string wide;
    std::string back;  // the wide text converted back
  } rows[] = {
      {"latin letters in CP1258", 1258, "abc", u"abc", "abc"},
      {"one letter in CP1258", 1258, "x", u"x", "x"},
      {"a letter before an undefined byte", 1258, "a\x81", u"a\uFFFD", "a?"},
      {"hebrew word in CP1255", 1255, "\xF9\xEC\xE5\xED", u"\u05E9\u05DC\u05D5\u05DD",
       "\xF9\xEC\xE5\xED"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Hex(ToWide(row.code_page, row.bytes)), Hex(row.wide)) << row.name;
    EXPECT_EQ(ToAnsi(row.code_page, row.wide), row.back) << row.name;
  }
}

TEST(CodePageConversionTest, UnmappableCharactersBecomeTheDefault) {
  struct Row {
    const char* name;
    UINT code_page;
    std::u16string wide;
    const char* default_char;
    std::string bytes;
    BOOL used;
  } rows[] = {
      {"thai in GBK", 936, u"a\u0E01b", nullptr, "a?b", TRUE},
      {"caller's default", 936, u"\u0E01", "*", "*", TRUE},
      {"double-byte default", 936, u"\u0E01", "\xD6\xD0", "\xD6\xD0", TRUE},
      {"surrogate pair is one character", 1252, u"\U0001F600!", nullptr, "?!", TRUE},
      {"lone surrogate", 1252, std::u16string(1, char16_t(0xDC00)), nullptr, "?", TRUE},
      {"euro in CP1252", 1252, u"\u20AC", nullptr, "\x80", FALSE},
      {"latin-1", 28591, u"\u00E9", nullptr, "\xE9", FALSE},
  };
  for (const Row& row : rows) {
    BOOL used = 2;
    EXPECT_EQ(ToAnsi(row.code_page, row.wide, 0, row.default_char, &used), row.bytes) << row.name;
    EXPECT_EQ(used, row.used) << row.name;
  }
}

TEST(CodePageConversionTest, AlternatingCodePagesKeepTheirOwnConverter) {
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ToWide(936, "\xD6\xD0"), u"\u4E2D") << "round " << i;
    EXPECT_EQ(ToWide(1252, "\x80"), u"\u20AC") << "round " << i;
    EXPECT_EQ(ToAnsi(1252, u"\u00E9"), "\xE9") << "round " << i;
    EXPECT_EQ(ToAnsi(936, u"\u4E2D"), "\xD6\xD0") << "round " << i;
  }
}

TEST(CodePageConversionTest, AnsiCodePageOfAGbkLocale) {
  ScopedLocale locale(kGbkLocale);
  ASSERT_TRUE(locale.active());
  EXPECT_EQ(ToWide(CP_ACP, "\xD6\xD0\x81\x5C"), u"\u4E2D\u4E57");
  EXPECT_EQ(ToAnsi(CP_ACP, u"\u4E2D\u4E57"), "\xD6\xD0\x81\x5C");
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xD6\xD0", -1, nullptr, 0), 2);
}

// The locale reports code page 932, whose 0x5C and 0x7E are the backslash and tilde of a key path
// (glibc's own Shift_JIS table would give the yen sign and overline).
TEST(CodePageConversionTest, AnsiCodePageOfAShiftJisLocale) {
  ScopedLocale locale(kShiftJisLocale);
  ASSERT_TRUE(locale.active());
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_EQ(Hex(ToWide(CP_ACP, "Software\\\x82\xA0~")), Hex(u"Software\\\u3042~"));
  EXPECT_EQ(ToAnsi(CP_ACP, u"Software\\\u3042~"), "Software\\\x82\xA0~");
}

TEST(CodePageConversionTest, AnsiCodePageOfTheCLocaleIsUtf8) {
  ScopedLocale locale("C");
  ASSERT_TRUE(locale.active());
  EXPECT_EQ(ToWide(CP_ACP, "\xC3\xA9"), u"\u00E9");
  EXPECT_EQ(ToAnsi(CP_ACP, u"\u4E2D"), "\xE4\xB8\xAD");
}

}  // namespace
