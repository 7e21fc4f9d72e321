#include "profile_parser.h"

#include <cstring>
#include <utility>

#include "profile_lines.h"

namespace {

constexpr uint32_t kNoSection = UINT32_MAX;

std::string_view HeaderName(const char* begin, const char* end, const CodePageText& code_page) {
  const char* name = begin + 1;  // past '['
  const char* close = code_page.Find(name, end, ']');
  name = SkipBlanks(name, close);
  return std::string_view(name, SkipBlanksBackwards(name, close) - name);
}

// Rewrites the profile text in place: each kept line is moved down to `out` with a NUL in place
// of its line end, so the lines of one section occurrence lie together and the parsed form
// needs no second copy of the text. A line never grows, so `out` never passes the line read.
class InPlaceParser {
 public:
  InPlaceParser(TextBuffer* text, ParsedProfile* profile, const CodePageText& code_page)
      : text_(text), profile_(profile), code_page_(code_page), out_(text->data()) {}

  void Run() {
    ProfileLines lines(text_->data(), text_->data() + text_->size());
    ProfileLines::Line line;
    while (lines.Next(&line)) {
      const char* begin = SkipBlanks(line.begin, line.end);
      const char* end = SkipBlanksBackwards(begin, line.end);
      if (begin == end || *begin == ';') continue;
      if (*begin == '[') {
        StartSection(HeaderName(begin, end, code_page_));
      } else if (section_ != kNoSection) {
        WriteEntry(begin, end);
      }
    }
    CloseSection();
    text_->Truncate(Written());
  }

 private:
  size_t Written() const { return out_ - text_->data(); }

  void StartSection(std::string_view name) {
    CloseSection();
    section_ = profile_->OpenSection(name);
    section_start_ = Written();
  }

  void CloseSection() {
    if (section_ != kNoSection)
      profile_->AddLines(section_, section_start_, Written() - section_start_);
  }

  // The '=' between key and value is the first one; in a line that starts with a quoted name, as
  // REG fragment entries do, the one right after the name (blanks between allowed), so an '='
  // inside the name or inside a quoted value keeps its blanks. The name ends at its first quote
  // not escaped by a backslash, as the registry editor escapes them, or failing that at its
  // first quote: a name ending in a lone backslash ("C:\"="a = b") is read as written. A line
  // where neither is followed by an '=' is left as it is.
  const char* FindSeparator(const char* begin, const char* end) const {
    if (*begin != '"') return code_page_.Find(begin, end, '=');
    for (const char* close : {code_page_.FindUnescaped(begin + 1, end, '"'),
                              code_page_.Find(begin + 1, end, '"')}) {
      const char* after = close == end ? end : SkipBlanks(close + 1, end);
      if (after != end && *after == '=') return after;
    }
    return end;
  }

  void WriteEntry(const char* begin, const char* end) {
    const char* equals = FindSeparator(begin, end);
    if (equals == end) {
      Put(begin, end);
    } else {
      Put(begin, SkipBlanksBackwards(begin, equals));
      *out_++ = '=';
      Put(SkipBlanks(equals + 1, end), end);
    }
    *out_++ = '\0';
  }

  void Put(const char* begin, const char* end) {
    std::memmove(out_, begin, end - begin);
    out_ += end - begin;
  }

  TextBuffer* text_;
  ParsedProfile* profile_;
  const CodePageText& code_page_;
  char* out_;
  uint32_t section_ = kNoSection;
  size_t section_start_ = 0;
};

}  // namespace

ParsedProfile ParseProfile(TextBuffer text, const CodePageText& code_page) {
  if (text.empty()) return ParsedProfile(code_page);
  // A final line without a line end gets one, so its NUL has a place to go.
  char last = text.data()[text.size() - 1];
  if (last != '\n' && last != '\r') text.Append('\n');
  ParsedProfile profile(code_page);
  InPlaceParser(&text, &profile, code_page).Run();
  text.ShrinkToFit();
  profile.Seal(std::move(text));
  return profile;
}
