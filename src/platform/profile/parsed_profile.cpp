#include "parsed_profile.h"

#include <algorithm>
#include <functional>
#include <new>
#include <utility>

namespace {

uint64_t HashExactly(std::string_view name) {
  return std::hash<std::string_view>()(name);
}

}  // namespace

void ParsedProfile::NameIndex::Add(uint64_t hash, uint32_t section) {
  if ((count_ + 1) * 2 > slots_.size()) Grow();
  Place(Slot{static_cast<uint32_t>(hash), section});
  ++count_;
}

void ParsedProfile::NameIndex::Place(Slot slot) {
  size_t mask = slots_.size() - 1;
  size_t at = slot.hash & mask;
  while (slots_[at].section != kNone) at = (at + 1) & mask;
  slots_[at] = slot;
}

void ParsedProfile::NameIndex::Grow() {
  std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2, Slot{0, kNone});
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.section != kNone) Place(slot);
  }
}

std::string_view ParsedProfile::NameOf(uint32_t section) const {
  return names_.view().substr(sections_[section].name_offset, sections_[section].name_length);
}

uint32_t ParsedProfile::FindAlike(std::string_view name, uint64_t folded_hash) const {
  return first_alike_.Find(folded_hash, [&](uint32_t section) {
    return code_page_.EqualIgnoringCase(NameOf(section), name);
  });
}

// Most names have no case variant, so one look-up ignoring case usually finds the exact one too.
uint32_t ParsedProfile::FindExactly(std::string_view name, uint32_t alike) const {
  if (alike == kNone || NameOf(alike) == name) return alike;
  return case_variants_.Find(HashExactly(name),
                             [&](uint32_t section) { return NameOf(section) == name; });
}

uint32_t ParsedProfile::OpenSection(std::string_view name) {
  uint64_t folded_hash = code_page_.HashIgnoringCase(name);
  uint32_t alike = FindAlike(name, folded_hash);
  uint32_t section = FindExactly(name, alike);
  if (section == kNone) {
    section = AddSection(name);
    if (alike == kNone) {
      first_alike_.Add(folded_hash, section);
    } else {
      case_variants_.Add(HashExactly(name), section);
    }
  } else if (section != last_opened_) {
    names_reordered_ = true;
  }
  sections_[section].last_opened = openings_++;
  last_opened_ = section;
  return section;
}

// An empty name ("[]") is addressable but not listed: in the name list it would read as the
// list's end and hide every later section.
uint32_t ParsedProfile::AddSection(std::string_view name) {
  if (sections_.size() >= kNone) throw std::bad_alloc();
  auto section = static_cast<uint32_t>(sections_.size());
  sections_.push_back(Section{names_.size(), name.size(), 0});
  if (!name.empty()) {
    names_.Append(name.data(), name.size());
    names_.Append('\0');
  }
  return section;
}

void ParsedProfile::AddLines(uint32_t section, size_t offset, size_t length) {
  if (length == 0) return;
  pieces_.push_back(Piece{offset, length});
  piece_sections_.push_back(section);
}

void ParsedProfile::Seal(TextBuffer lines) {
  lines_ = std::move(lines);
  if (names_reordered_) WriteNameList();
  names_.ShrinkToFit();
  GroupPieces();
}

// The names are written again in the order of each section's last opening, and the sections
// point at their names there.
void ParsedProfile::WriteNameList() {
  std::vector<uint32_t> order(sections_.size());
  for (uint32_t section = 0; section < order.size(); ++section) order[section] = section;
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    return sections_[a].last_opened < sections_[b].last_opened;
  });
  TextBuffer list;
  for (uint32_t section : order) {
    std::string_view name = NameOf(section);
    sections_[section].name_offset = list.size();
    if (name.empty()) continue;
    list.Append(name.data(), name.size());
    list.Append('\0');
  }
  names_ = std::move(list);
}

// Each section's pieces in file order: a stable sort by section.
void ParsedProfile::GroupPieces() {
  std::vector<size_t> order(pieces_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return piece_sections_[a] < piece_sections_[b]; });
  std::vector<Piece> grouped;
  grouped.reserve(pieces_.size());
  for (size_t i : order) {
    Section& section = sections_[piece_sections_[i]];
    if (section.piece_count++ == 0) section.first_piece = grouped.size();
    grouped.push_back(pieces_[i]);
  }
  pieces_ = std::move(grouped);
  std::vector<uint32_t>().swap(piece_sections_);
}

std::vector<std::string_view> ParsedProfile::SectionLines(std::string_view name) const {
  std::vector<std::string_view> lines;
  uint32_t alike = FindAlike(name, code_page_.HashIgnoringCase(name));
  uint32_t exact = FindExactly(name, alike);
  uint32_t section = exact != kNone ? exact : alike;
  if (section == kNone) return lines;
  const Section& found = sections_[section];
  for (size_t i = 0; i < found.piece_count; ++i) {
    const Piece& piece = pieces_[found.first_piece + i];
    lines.push_back(lines_.view().substr(piece.offset, piece.length));
  }
  return lines;
}
