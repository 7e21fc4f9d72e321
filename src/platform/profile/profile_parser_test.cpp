#include "profile_parser.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

ParsedProfile Parse(const std::string& text, const CodePageText& code_page = CodePageText()) {
  TextBuffer buffer;
  buffer.Append(text.data(), text.size());
  return ParseProfile(std::move(buffer), code_page);
}

// The section's lines joined as the profile call returns them.
std::string LinesOf(const ParsedProfile& profile, const std::string& section) {
  std::string lines;
  for (std::string_view piece : profile.SectionLines(section)) lines.append(piece);
  return lines;
}

struct ParseCase {
  const char* name;
  std::string text;
  std::string names;                                          // the name list, each NUL-terminated
  std::vector<std::pair<std::string, std::string>> sections;  // looked-up name -> its lines
};

void ExpectParses(const ParseCase& c, const CodePageText& code_page = CodePageText()) {
  ParsedProfile profile = Parse(c.text, code_page);
  EXPECT_EQ(profile.section_names(), c.names) << c.name;
  for (const auto& [section, lines] : c.sections) {
    EXPECT_EQ(LinesOf(profile, section), lines) << c.name << ", section " << section;
  }
}

TEST(ProfileParserTest, ReadsSectionsAndLines) {
  const ParseCase cases[] = {
      {"lines with and without '=', empty section, nameless key",
       "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n[section2]\r\n[section3]\r\n="
       "val5",
       "section1\0section2\0section3\0"s,
       {{"section1", "name1=val1\0name2=\0name3\0name4=val4\0"s},
        {"section2", ""},
        {"section3", "=val5\0"s}}},
      {"no sections at all", "a=1\nb=2\n", "", {{"", ""}}},
      {"empty text", "", "", {{"x", ""}}},
      {"text before the first header belongs to none",
       "top=1\n[s]\nin=2\n",
       "s\0"s,
       {{"s", "in=2\0"s}, {"", ""}}},
      {"missing section", "[s]\na=1\n", "s\0"s, {{"t", ""}, {"s ", ""}}},
  };
  for (const ParseCase& c : cases) ExpectParses(c);
}

TEST(ProfileParserTest, SplitsLinesAtEveryKindOfLineEnd) {
  const ParseCase cases[] = {
      {"LF", "[s]\na=1\nb=2\n", "s\0"s, {{"s", "a=1\0b=2\0"s}}},
      {"CR", "[s]\ra=1\rb=2\r", "s\0"s, {{"s", "a=1\0b=2\0"s}}},
      {"CRLF", "[s]\r\na=1\r\nb=2\r\n", "s\0"s, {{"s", "a=1\0b=2\0"s}}},
      {"mixed", "[s]\r\na=1\nb=2\rc=3\r\n", "s\0"s, {{"s", "a=1\0b=2\0c=3\0"s}}},
      {"LF CR is two line ends", "[s]\na=1\n\rb=2", "s\0"s, {{"s", "a=1\0b=2\0"s}}},
      {"CR CR LF", "[s]\r\r\na=1", "s\0"s, {{"s", "a=1\0"s}}},
      {"no line end after the last line", "[s]\na=1", "s\0"s, {{"s", "a=1\0"s}}},
      {"header as the last line", "[a]\nx=1\n[b]", "a\0b\0"s, {{"a", "x=1\0"s}, {"b", ""}}},
      {"blank lines in between", "\n\n[s]\n\n \t \na=1\r\n\r\n", "s\0"s, {{"s", "a=1\0"s}}},
  };
  for (const ParseCase& c : cases) ExpectParses(c);
}

TEST(ProfileParserTest, TrimsBlanksAndSkipsComments) {
  const ParseCase cases[] = {
      {"both ends and around the first '='",
       "[s]\n \t key \t= \tvalue \t\n",
       "s\0"s,
       {{"s", "key=value\0"s}}},
      {"only the first '=' is trimmed", "[s]\na = b = c\n", "s\0"s, {{"s", "a=b = c\0"s}}},
      {"inner blanks kept", "[s]\nmy key=my  value\n", "s\0"s, {{"s", "my key=my  value\0"s}}},
      {"line without '=' trimmed", "[s]\n  hex:00,\\  \n", "s\0"s, {{"s", "hex:00,\\\0"s}}},
      {"empty value", "[s]\nk =  \n", "s\0"s, {{"s", "k=\0"s}}},
      {"'=' inside a quoted name keeps its blanks",
       "[s]\n\"a = b\" = \"c = d\"\n",
       "s\0"s,
       {{"s", "\"a = b\"=\"c = d\"\0"s}}},
      {"escaped quote inside a quoted name",
       "[s]\n\"a\\\" = b\" = 1\n",
       "s\0"s,
       {{"s", "\"a\\\" = b\"=1\0"s}}},
      {"escaped backslash ends before the quote",
       "[s]\n\"a\\\\\" = 1\n",
       "s\0"s,
       {{"s", "\"a\\\\\"=1\0"s}}},
      {"name ending in a lone backslash keeps the value's blanks",
       "[s]\n\"C:\\\"=\"a = b\"\n",
       "s\0"s,
       {{"s", "\"C:\\\"=\"a = b\"\0"s}}},
      {"text between the name and '=' leaves the line as it is",
       "[s]\n\"a\"x = 1\n",
       "s\0"s,
       {{"s", "\"a\"x = 1\0"s}}},
      {"quote left open", "[s]\n\"a = b\n", "s\0"s, {{"s", "\"a = b\0"s}}},
      {"quote not at the start", "[s]\nx\"a = b\"\n", "s\0"s, {{"s", "x\"a=b\"\0"s}}},
      {"other white space is data", "[s]\n\vk\f=v\n", "s\0"s, {{"s", "\vk\f=v\0"s}}},
      {"comments skipped, ';' inside kept, '#' is no comment",
       "[s]\n;c1\n \t;c2\na=1;x\n#b=2\n",
       "s\0"s,
       {{"s", "a=1;x\0#b=2\0"s}}},
      {"a commented header is no header", "[s]\na=1\n;[t]\nb=2\n", "s\0"s, {{"s", "a=1\0b=2\0"s}}},
  };
  for (const ParseCase& c : cases) ExpectParses(c);
}

TEST(ProfileParserTest, ReadsSectionNames) {
  const ParseCase cases[] = {
      {"blanks inside and before the brackets",
       "  [ section1 ]\na=1\n",
       "section1\0"s,
       {{"section1", "a=1\0"s}}},
      {"text after ']' ignored", "[s] ; note\na=1\n", "s\0"s, {{"s", "a=1\0"s}}},
      {"name ends at the first ']'", "[a]b]\nx=1\n", "a\0"s, {{"a", "x=1\0"s}}},
      {"missing ']' tolerated",
       "[HKEY_LOCAL_MACHINE\\Software \nx=1\n",
       "HKEY_LOCAL_MACHINE\\Software\0"s,
       {{"HKEY_LOCAL_MACHINE\\Software", "x=1\0"s}}},
      {"'=' in a header is part of the name", "[a=b]\nx=1\n", "a=b\0"s, {{"a=b", "x=1\0"s}}},
      {"empty name addressable but not listed",
       "[a]\n[]\nx=1\n[b]\n",
       "a\0b\0"s,
       {{"", "x=1\0"s}, {"a", ""}}},
      {"looked up without case",
       "[Software\\Ab]\nx=1\n",
       "Software\\Ab\0"s,
       {{"SOFTWARE\\aB", "x=1\0"s}}},
  };
  for (const ParseCase& c : cases) ExpectParses(c);
}

TEST(ProfileParserTest, MergesSectionsOfTheSameName) {
  const ParseCase cases[] = {
      {"spelled alike: merged in file order, listed where last seen; case variants apart",
       "[A]\na=1\n[b]\nb=1\n[a]\na=2\n[B]\n[A]\na=3\n",
       "b\0a\0B\0A\0"s,
       {{"A", "a=1\0a=3\0"s}, {"a", "a=2\0"s}, {"b", "b=1\0"s}, {"B", ""}}},
      {"an empty occurrence adds nothing but moves the name",
       "[s]\n[t]\nx=1\n[s]\ny=2\n[s]\n",
       "t\0s\0"s,
       {{"s", "y=2\0"s}, {"t", "x=1\0"s}}},
      {"a deletion between two writes of a key is listed before them",
       "[K]\nold=1\n[-K]\n[K]\nnew=2\n",
       "-K\0K\0"s,
       {{"K", "old=1\0new=2\0"s}, {"-K", ""}}},
      {"a deletion after a write is listed after it",
       "[-K]\n[K]\na=1\n[-K]\n",
       "K\0-K\0"s,
       {{"K", "a=1\0"s}}},
      {"a root spelled in lower case stays apart from the upper-case one",
       "[hkey_local_machine\\A]\nlower=1\n[HKEY_LOCAL_MACHINE\\A]\nupper=2\n",
       "hkey_local_machine\\A\0HKEY_LOCAL_MACHINE\\A\0"s,
       {{"HKEY_LOCAL_MACHINE\\A", "upper=2\0"s}, {"hkey_local_machine\\A", "lower=1\0"s}}},
  };
  for (const ParseCase& c : cases) ExpectParses(c);
}

TEST(ProfileParserTest, LooksUpTheExactNameBeforeIgnoringCase) {
  const ParseCase cases[] = {
      {"the exact spelling wins, even when it has no lines",
       "[s]\nx=1\n[S]\n",
       "s\0S\0"s,
       {{"S", ""}, {"s", "x=1\0"s}}},
      {"without one, the first section to appear ignoring case",
       "[ab]\nx=1\n[AB]\ny=2\n[ab]\nz=3\n",
       "AB\0ab\0"s,
       {{"Ab", "x=1\0z=3\0"s}, {"aB", "x=1\0z=3\0"s}, {"AB", "y=2\0"s}}},
  };
  for (const ParseCase& c : cases) ExpectParses(c);
}

// GBK: 0x81..0xFE lead a double-byte character whose trail byte may be ']' or a letter.
CodePageText Gbk() {
  std::array<bool, 256> lead{};
  for (int byte = 0x81; byte <= 0xFE; ++byte) lead[byte] = true;
  return CodePageText(lead);
}

TEST(ProfileParserTest, NeverSplitsDoubleByteCharacters) {
  const ParseCase cases[] = {
      {"']' as a trail byte", "[\x81]\x82]]\nx=1\n", "\x81]\x82]\0"s, {{"\x81]\x82]", "x=1\0"s}}},
      {"trail letters keep their case",
       "[\x81\x41]\na=1\n[\x81\x61]\nb=2\n[A\x81\x41]\n",
       "\x81\x41\0\x81\x61\0A\x81\x41\0"s,
       {{"\x81\x41", "a=1\0"s}, {"\x81\x61", "b=2\0"s}, {"a\x81\x41", ""}}},
      {"a backslash trail byte escapes nothing",
       "[s]\n\"\x81\\\" = 1\n",
       "s\0"s,
       {{"s", "\"\x81\\\"=1\0"s}}},
      {"a lead byte at the end of a header", "[ab\x81\nx=1\n", "ab\x81\0"s, {{"ab\x81", "x=1\0"s}}},
  };
  for (const ParseCase& c : cases) ExpectParses(c, Gbk());
}

TEST(ProfileParserTest, HandlesManySectionsAndLongLines) {
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += "[S" + std::to_string(i) + "]\nv=" + std::to_string(i) + "\n";
  ParsedProfile many = Parse(text);
  EXPECT_EQ(many.section_count(), 100000u);
  EXPECT_EQ(LinesOf(many, "s99999"), "v=99999\0"s);
  EXPECT_EQ(LinesOf(many, "s0"), "v=0\0"s);

  std::string long_value(10 << 20, 'x');
  ParsedProfile long_line = Parse("[s]\r\nkey = " + long_value + "\r\n");
  EXPECT_EQ(LinesOf(long_line, "s"), "key=" + long_value + '\0');
}

}  // namespace
