#include "parsed_profile.h"

#include <new>
#include <utility>

namespace {

constexpr uint32_t kFreeSlot = UINT32_MAX;

}  // namespace

std::string_view ParsedProfile::NameOf(const Section& section) const {
  return names_.view().substr(section.name_offset, section.name_length);
}

const ParsedProfile::Section* ParsedProfile::Find(std::string_view name, uint64_t hash) const {
  if (slots_.empty()) return nullptr;
  size_t mask = slots_.size() - 1;
  for (size_t slot = hash & mask; slots_[slot] != kFreeSlot; slot = (slot + 1) & mask) {
    const Section& section = sections_[slots_[slot]];
    if (section.name_hash == hash && code_page_.EqualIgnoringCase(NameOf(section), name)) {
      return &section;
    }
  }
  return nullptr;
}

void ParsedProfile::Index(uint32_t section) {
  if (sections_.size() * 2 > slots_.size()) return GrowIndex();  // indexes every section anew
  size_t mask = slots_.size() - 1;
  size_t slot = sections_[section].name_hash & mask;
  while (slots_[slot] != kFreeSlot) slot = (slot + 1) & mask;
  slots_[slot] = section;
}

void ParsedProfile::GrowIndex() {
  slots_.assign(slots_.empty() ? 64 : slots_.size() * 2, kFreeSlot);
  for (size_t section = 0; section < sections_.size(); ++section) {
    Index(static_cast<uint32_t>(section));
  }
}

// An empty name ("[]") is addressable but not listed: in the name list it would read as the
// list's end and hide every later section.
uint32_t ParsedProfile::OpenSection(std::string_view name) {
  uint64_t hash = code_page_.HashIgnoringCase(name);
  if (const Section* found = Find(name, hash)) {
    return static_cast<uint32_t>(found - sections_.begin());
  }
  if (sections_.size() >= kFreeSlot) throw std::bad_alloc();
  auto number = static_cast<uint32_t>(sections_.size());
  sections_.push_back(Section{hash, names_.size(), name.size()});
  if (!name.empty()) {
    names_.Append(name.data(), name.size());
    names_.Append('\0');
  }
  Index(number);
  return number;
}

void ParsedProfile::AddLines(uint32_t section, size_t offset, size_t length) {
  if (length == 0) return;
  pieces_.push_back(Piece{offset, length});
  piece_sections_.push_back(section);
}

// A counting sort by section keeps each section's pieces in file order, in linear time.
void ParsedProfile::Seal(TextBuffer lines) {
  lines_ = std::move(lines);
  names_.ShrinkToFit();
  for (uint32_t section : piece_sections_) ++sections_[section].piece_count;
  size_t next = 0;
  for (Section& section : sections_) {
    section.first_piece = next;
    next += section.piece_count;
    section.piece_count = 0;  // counted up again as the pieces are placed
  }
  PagedArray<Piece> grouped;
  grouped.assign(pieces_.size(), Piece{0, 0});
  for (size_t i = 0; i < pieces_.size(); ++i) {
    Section& section = sections_[piece_sections_[i]];
    grouped[section.first_piece + section.piece_count++] = pieces_[i];
  }
  pieces_ = std::move(grouped);
  piece_sections_.clear();
}

std::vector<std::string_view> ParsedProfile::SectionLines(std::string_view name) const {
  std::vector<std::string_view> lines;
  const Section* section = Find(name, code_page_.HashIgnoringCase(name));
  if (section == nullptr) return lines;
  for (size_t i = 0; i < section->piece_count; ++i) {
    const Piece& piece = pieces_[section->first_piece + i];
    lines.push_back(lines_.view().substr(piece.offset, piece.length));
  }
  return lines;
}
