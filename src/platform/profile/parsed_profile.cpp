#include "parsed_profile.h"

#include <utility>

std::string_view ParsedProfile::NameOf(const Section& section) const {
  return names_.view().substr(section.name_offset, section.name_length);
}

const ParsedProfile::Section* ParsedProfile::Find(std::string_view name) const {
  auto range = by_name_.equal_range(code_page_.HashIgnoringCase(name));
  for (auto it = range.first; it != range.second; ++it) {
    const Section& section = sections_[it->second];
    if (code_page_.EqualIgnoringCase(NameOf(section), name)) return &section;
  }
  return nullptr;
}

// An empty name ("[]") is addressable but not listed: in the name list it would read as the
// list's end and hide every later section.
uint32_t ParsedProfile::OpenSection(std::string_view name) {
  if (const Section* found = Find(name)) return static_cast<uint32_t>(found - sections_.data());
  auto number = static_cast<uint32_t>(sections_.size());
  sections_.push_back(Section{names_.size(), name.size()});
  if (!name.empty()) {
    names_.Append(name.data(), name.size());
    names_.Append('\0');
  }
  by_name_.emplace(code_page_.HashIgnoringCase(name), number);
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
  }
  std::vector<Piece> grouped(pieces_.size());
  std::vector<size_t> filled(sections_.size(), 0);
  for (size_t i = 0; i < pieces_.size(); ++i) {
    const Section& section = sections_[piece_sections_[i]];
    grouped[section.first_piece + filled[piece_sections_[i]]++] = pieces_[i];
  }
  pieces_ = std::move(grouped);
  std::vector<uint32_t>().swap(piece_sections_);
}

std::vector<std::string_view> ParsedProfile::SectionLines(std::string_view name) const {
  std::vector<std::string_view> lines;
  const Section* section = Find(name);
  if (section == nullptr) return lines;
  for (size_t i = 0; i < section->piece_count; ++i) {
    const Piece& piece = pieces_[section->first_piece + i];
    lines.push_back(lines_.view().substr(piece.offset, piece.length));
  }
  return lines;
}
