#include "hex_number.h"

#include <cstdint>
#include <utility>

namespace {

constexpr signed char DigitValue(int c) {
  if (c >= '0' && c <= '9') return static_cast<signed char>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<signed char>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<signed char>(c - 'A' + 10);
  return -1;
}

template <size_t... Bytes>
constexpr std::array<signed char, sizeof...(Bytes)> DigitTable(std::index_sequence<Bytes...>) {
  return {DigitValue(static_cast<int>(Bytes))...};
}

// What a number's text holds; magnitude stops growing once it passes every 32-bit limit.
struct HexText {
  bool negative = false;
  uint64_t magnitude = 0;
};

constexpr uint64_t kPastAnyLimit = uint64_t{1} << 33;

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Every byte consumed here is ASCII, so the scan never lands inside a double-byte character.
HexText ScanHex(const char* text) {
  HexText number;
  while (IsCSpace(*text)) ++text;
  if (*text == '+' || *text == '-') number.negative = *text++ == '-';
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text += 2;
  for (int digit; (digit = HexDigitValue(*text)) >= 0 && number.magnitude < kPastAnyLimit; ++text) {
    number.magnitude = number.magnitude * 16 + static_cast<uint64_t>(digit);
  }
  return number;
}

}  // namespace

const std::array<signed char, 256> kHexDigitValues = DigitTable(std::make_index_sequence<256>());

DWORD ReadHexDword(const char* text) {
  HexText number = ScanHex(text);
  if (number.magnitude > UINT32_MAX) return UINT32_MAX;
  auto value = static_cast<DWORD>(number.magnitude);
  return number.negative ? static_cast<DWORD>(0u - value) : value;
}

LONG ReadHexLong(const char* text) {
  HexText number = ScanHex(text);
  if (number.negative) {
    if (number.magnitude >= uint64_t{1} << 31) return INT32_MIN;
    return -static_cast<LONG>(number.magnitude);
  }
  return number.magnitude > INT32_MAX ? INT32_MAX : static_cast<LONG>(number.magnitude);
}
