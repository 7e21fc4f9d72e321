// The sections of one profile file, parsed once and kept in the form the profile calls return,
// so a look-up costs only the section it asks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "code_page_text.h"
#include "paged_array.h"
#include "text_buffer.h"

class ParsedProfile {
 public:
  explicit ParsedProfile(const CodePageText& code_page) : code_page_(code_page) {}

  // Building, done by ParseProfile. OpenSection gives the number of the section with that name
  // (compared without case), adding it when new; AddLines records that [offset, offset + length)
  // of the final lines text belongs to it; Seal takes that text and groups each section's pieces.
  uint32_t OpenSection(std::string_view name);
  void AddLines(uint32_t section, size_t offset, size_t length);
  void Seal(TextBuffer lines);

  // Every non-empty section name once, in the order of first appearance, each NUL-terminated.
  std::string_view section_names() const { return names_.view(); }

  // The lines of the section with that name, each NUL-terminated, as pieces in file order;
  // none when the section is empty or missing.
  std::vector<std::string_view> SectionLines(std::string_view name) const;

  size_t section_count() const { return sections_.size(); }

 private:
  struct Section {
    uint64_t name_hash;
    size_t name_offset;  // in names_ (an empty name is not stored there)
    size_t name_length;
    size_t first_piece = 0;
    size_t piece_count = 0;
  };
  struct Piece {
    size_t offset;
    size_t length;
  };

  std::string_view NameOf(const Section& section) const;
  const Section* Find(std::string_view name, uint64_t hash) const;
  void Index(uint32_t section);
  void GrowIndex();

  CodePageText code_page_;
  TextBuffer lines_;
  TextBuffer names_;
  PagedArray<Section> sections_;
  PagedArray<Piece> pieces_;             // grouped by section once sealed
  PagedArray<uint32_t> piece_sections_;  // while building: the section of each piece
  // Section numbers by name hash, open addressing, at most half full; kFreeSlot marks a gap.
  PagedArray<uint32_t> slots_;
};
