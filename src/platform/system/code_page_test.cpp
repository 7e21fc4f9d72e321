#include <gtest/gtest.h>

#include <windows.h>

#include "support/test_locale.h"

namespace {

TEST(CodePageTest, AnsiCodePageFollowsTheLocale) {
  struct Row {
    const char* locale;
    UINT code_page;
  } rows[] = {{"C", CP_UTF8}, {"POSIX", CP_UTF8}, {"C.UTF-8", CP_UTF8}, {kGbkLocale, 936}};
  for (const Row& row : rows) {
    ScopedLocale locale(row.locale);
    ASSERT_TRUE(locale.active()) << row.locale;
    EXPECT_EQ(GetACP(), row.code_page) << row.locale;
  }
  EXPECT_EQ(GetACP(), UINT(CP_UTF8)) << "after the locale came back";
}

TEST(CodePageTest, LeadBytesOfDoubleByteCodePages) {
  struct Row {
    UINT code_page;
    BYTE byte;
    BOOL lead;
  } rows[] = {
      {932, 0x80, FALSE},   {932, 0x81, TRUE},   {932, 0x9F, TRUE},   {932, 0xA0, FALSE},
      {932, 0xDF, FALSE},   {932, 0xE0, TRUE},   {932, 0xFC, TRUE},   {932, 0xFD, FALSE},
      {936, 0x5C, FALSE},   {936, 0x80, FALSE},  {936, 0x81, TRUE},   {936, 0xFE, TRUE},
      {936, 0xFF, FALSE},   {949, 0x81, TRUE},   {950, 0xA4, TRUE},   {54936, 0x81, TRUE},
      {1361, 0x84, TRUE},   {1361, 0xD4, FALSE}, {1252, 0x81, FALSE}, {CP_UTF8, 0xC3, FALSE},
      {28591, 0xE9, FALSE},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(IsDBCSLeadByteEx(row.code_page, row.byte), row.lead)
        << "code page " << row.code_page << ", byte 0x" << std::hex << int(row.byte);
  }
}

TEST(CodePageTest, UnknownCodePageIsRefused) {
  SetLastError(0);
  EXPECT_FALSE(IsDBCSLeadByteEx(12345, 0x81));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(CodePageTest, LeadBytesOfTheAnsiCodePage) {
  EXPECT_FALSE(IsDBCSLeadByte(0x81)) << "UTF-8 has no lead bytes";
  ScopedLocale locale(kGbkLocale);
  ASSERT_TRUE(locale.active());
  EXPECT_TRUE(IsDBCSLeadByte(0x81));
  EXPECT_FALSE(IsDBCSLeadByte(0x5C));
}

}  // namespace
