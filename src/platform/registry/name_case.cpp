#include "name_case.h"

#include <algorithm>
#include <iterator>

namespace {

// Lower-case letters first..last, every step-th code unit, whose upper case is delta away.
struct CaseRun {
  char16_t first;
  char16_t last;
  int step;
  int delta;
};

// Derived from the simple upper-case mappings of the Unicode Character Database, sorted by first.
constexpr CaseRun kCaseRuns[] = {
    {0x0061, 0x007A, 1, -32},  {0x00B5, 0x00B5, 1, 743},  {0x00E0, 0x00F6, 1, -32},
    {0x00F8, 0x00FE, 1, -32},  {0x00FF, 0x00FF, 1, 121},  {0x0101, 0x012F, 2, -1},
    {0x0131, 0x0131, 1, -232}, {0x0133, 0x0137, 2, -1},   {0x013A, 0x0148, 2, -1},
    {0x014B, 0x0177, 2, -1},   {0x017A, 0x017E, 2, -1},   {0x017F, 0x017F, 1, -300},
    {0x0371, 0x0373, 2, -1},   {0x0377, 0x0377, 1, -1},   {0x037B, 0x037D, 1, 130},
    {0x03AC, 0x03AC, 1, -38},  {0x03AD, 0x03AF, 1, -37},  {0x03B1, 0x03C1, 1, -32},
    {0x03C2, 0x03C2, 1, -31},  {0x03C3, 0x03CB, 1, -32},  {0x03CC, 0x03CC, 1, -64},
    {0x03CD, 0x03CE, 1, -63},  {0x03D0, 0x03D0, 1, -62},  {0x03D1, 0x03D1, 1, -57},
    {0x03D5, 0x03D5, 1, -47},  {0x03D6, 0x03D6, 1, -54},  {0x03D7, 0x03D7, 1, -8},
    {0x03D9, 0x03EF, 2, -1},   {0x03F0, 0x03F0, 1, -86},  {0x03F1, 0x03F1, 1, -80},
    {0x03F2, 0x03F2, 1, 7},    {0x03F3, 0x03F3, 1, -116}, {0x03F5, 0x03F5, 1, -96},
    {0x03F8, 0x03F8, 1, -1},   {0x03FB, 0x03FB, 1, -1},   {0x0430, 0x044F, 1, -32},
    {0x0450, 0x045F, 1, -80},  {0x0461, 0x0481, 2, -1},   {0x048B, 0x04BF, 2, -1},
    {0x04C2, 0x04CE, 2, -1},   {0x04CF, 0x04CF, 1, -15},  {0x04D1, 0x052F, 2, -1},
    {0xFF41, 0xFF5A, 1, -32},
};

}  // namespace

char16_t UpcaseNonAsciiNameChar(char16_t c) {
  // The last run that starts at or before c.
  auto after = std::upper_bound(std::begin(kCaseRuns), std::end(kCaseRuns), c,
                                [](char16_t unit, const CaseRun& run) { return unit < run.first; });
  if (after == std::begin(kCaseRuns)) return c;
  const CaseRun& run = *std::prev(after);
  if (c > run.last || (c - run.first) % run.step != 0) return c;
  return static_cast<char16_t>(c + run.delta);
}

std::u16string UpcaseName(std::u16string_view name) {
  std::u16string upper(name);
  for (char16_t& c : upper) c = UpcaseNameChar(c);
  return upper;
}

int CompareNames(std::u16string_view a, std::u16string_view b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] == b[i]) continue;
    char16_t x = UpcaseNameChar(a[i]);
    char16_t y = UpcaseNameChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// Names of different lengths are told apart without comparing a character.
bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareNames(a, b) == 0;
}
