// The sections of one profile file, parsed once and kept in the form the profile calls return,
// so a look-up costs only the section it asks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "code_page_text.h"
#include "text_buffer.h"

class ParsedProfile {
 public:
  explicit ParsedProfile(const CodePageText& code_page) : code_page_(code_page) {}

  // Building, done by ParseProfile. OpenSection gives the number of the section with exactly
  // that name, adding it when new, and moves it to the end of the name list; AddLines records
  // that [offset, offset + length) of the final lines text belongs to it; Seal takes that text,
  // groups each section's pieces and puts the name list in order.
  uint32_t OpenSection(std::string_view name);
  void AddLines(uint32_t section, size_t offset, size_t length);
  void Seal(TextBuffer lines);

  // Every non-empty section name once, each NUL-terminated. Occurrences of a name spelled
  // exactly alike are one section, listed where it occurs last, so the list keeps the order in
  // which the file leaves its sections; names that differ in case are listed apart.
  std::string_view section_names() const { return names_.view(); }

  // The lines of the section named exactly so, or else of the first section whose name matches
  // ignoring case, each NUL-terminated, as pieces in file order; none when the section is empty
  // or missing.
  std::vector<std::string_view> SectionLines(std::string_view name) const;

  size_t section_count() const { return sections_.size(); }

 private:
  static constexpr uint32_t kNone = UINT32_MAX;

  // Section numbers by a hash of their names, open addressing, at most half full. Each slot keeps
  // the low half of the hash beside the number, so a probe reads no section it passes over.
  // (Hand-built: with std::unordered_multimap the profile reader took some 15% longer on the
  // 100 MB fragments, bench/profile_read.)
  class NameIndex {
   public:
    // The first number in probing order whose hash is `hash` and that `matches`, or kNone.
    template <typename Matches>
    uint32_t Find(uint64_t hash, const Matches& matches) const {
      if (slots_.empty()) return kNone;
      size_t mask = slots_.size() - 1;
      auto key = static_cast<uint32_t>(hash);
      for (size_t at = key & mask; slots_[at].section != kNone; at = (at + 1) & mask) {
        if (slots_[at].hash == key && matches(slots_[at].section)) return slots_[at].section;
      }
      return kNone;
    }
    void Add(uint64_t hash, uint32_t section);

   private:
    struct Slot {
      uint32_t hash;
      uint32_t section;
    };
    void Place(Slot slot);
    void Grow();

    size_t count_ = 0;
    std::vector<Slot> slots_;
  };

  struct Section {
    size_t name_offset;  // in names_ (an empty name is not stored there)
    size_t name_length;
    uint64_t last_opened;  // while building: when the file last opened the section
    size_t first_piece = 0;
    size_t piece_count = 0;
  };
  struct Piece {
    size_t offset;
    size_t length;
  };

  std::string_view NameOf(uint32_t section) const;
  // The first section whose name matches ignoring case; kNone when there is none.
  uint32_t FindAlike(std::string_view name, uint64_t folded_hash) const;
  // The section named exactly so, given the first alike; kNone when there is none.
  uint32_t FindExactly(std::string_view name, uint32_t alike) const;
  uint32_t AddSection(std::string_view name);
  void WriteNameList();
  void GroupPieces();

  CodePageText code_page_;
  TextBuffer lines_;
  // Each non-empty name NUL-terminated, in order of first appearance while building; written
  // again in list order when a name has moved.
  TextBuffer names_;
  std::vector<Section> sections_;
  std::vector<Piece> pieces_;             // grouped by section once sealed
  std::vector<uint32_t> piece_sections_;  // while building: the section of each piece
  NameIndex first_alike_;    // by hash ignoring case: the first section of each name so matched
  NameIndex case_variants_;  // by exact hash: every other section
  uint64_t openings_ = 0;
  uint32_t last_opened_ = kNone;
  bool names_reordered_ = false;
};
