// Reads the sections and lines of profile text, as ProfileDecoder gives it: in the ANSI code
// page and free of NUL bytes.
#pragma once

#include "code_page_text.h"
#include "parsed_profile.h"
#include "text_buffer.h"

// Lines are trimmed of blanks at both ends and around their first '='; blank lines, lines
// starting with ';' and lines before the first section header are dropped; a header's name is
// the trimmed text between '[' and the first ']' (or the line's end).
ParsedProfile ParseProfile(TextBuffer text, const CodePageText& code_page);
