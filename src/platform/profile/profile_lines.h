// Splits profile text into lines at CR, LF and CRLF, and trims the blanks (space, tab) that
// profile lines may carry at either end.
#pragma once

#include <cstddef>

class ProfileLines {
 public:
  // A line of the text, without its line end.
  struct Line {
    const char* begin;
    const char* end;
  };

  ProfileLines(const char* begin, const char* end);

  // Gives the next line; false after the last. Text after the last line end is a line too.
  bool Next(Line* line);

 private:
  const char* Seek(const char* from, char c) const;

  const char* next_;
  const char* end_;
  // The nearest CR and LF at or after next_, each searched again only once passed, so text
  // with only one kind of line end is still read in linear time.
  const char* next_cr_;
  const char* next_lf_;
};

const char* SkipBlanks(const char* begin, const char* end);
const char* SkipBlanksBackwards(const char* begin, const char* end);
