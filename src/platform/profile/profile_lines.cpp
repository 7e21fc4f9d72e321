#include "profile_lines.h"

#include <algorithm>
#include <cstring>

#include "system/ascii_text.h"

ProfileLines::ProfileLines(const char* begin, const char* end) : next_(begin), end_(end) {
  next_cr_ = Seek(begin, '\r');
  next_lf_ = Seek(begin, '\n');
}

const char* ProfileLines::Seek(const char* from, char c) const {
  if (from == end_) return end_;
  auto found = static_cast<const char*>(std::memchr(from, c, end_ - from));
  return found != nullptr ? found : end_;
}

bool ProfileLines::Next(Line* line) {
  if (next_ == end_) return false;
  if (next_cr_ < next_) next_cr_ = Seek(next_, '\r');
  if (next_lf_ < next_) next_lf_ = Seek(next_, '\n');
  const char* line_end = std::min(next_cr_, next_lf_);
  *line = Line{next_, line_end};
  if (line_end == end_) {
    next_ = end_;
  } else {
    bool crlf = *line_end == '\r' && line_end + 1 < end_ && line_end[1] == '\n';
    next_ = line_end + (crlf ? 2 : 1);
  }
  return true;
}

const char* SkipBlanks(const char* begin, const char* end) {
  while (begin < end && IsBlank(*begin)) ++begin;
  return begin;
}

const char* SkipBlanksBackwards(const char* begin, const char* end) {
  while (end > begin && IsBlank(end[-1])) --end;
  return end;
}
