#include "utf8_codec.h"

#include <cstdint>
#include <cstring>

#include "ascii_text.h"
#include "utf16_units.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

struct Utf8Sequence {
  char32_t code_point;
  size_t length;  // bytes consumed; for an ill-formed sequence, its maximal ill-formed part
  bool valid;
};

// Reads the multibyte sequence at p (p[0] >= 0x80). Second-byte limits exclude overlong forms,
// surrogates and values above U+10FFFF.
Utf8Sequence ReadSequence(const unsigned char* p, size_t available) {
  unsigned char lead = p[0];
  size_t trail_count;
  char32_t code_point;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail_count = 1;
    code_point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail_count = 2;
    code_point = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail_count = 3;
    code_point = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {0, 1, false};
  }
  for (size_t i = 1; i <= trail_count; ++i) {
    // An encoded surrogate's lead and second byte are one ill-formed part, as Wine's decoder
    // takes them (Microsoft's documentation does not say): ED A0 80 gives two replacements.
    if (i == 1 && lead == 0xED && available > 1 && p[1] >= 0xA0 && p[1] <= 0xBF) {
      return {0, 2, false};
    }
    if (i >= available || p[i] < low || p[i] > high) return {0, i, false};
    code_point = (code_point << 6) | (p[i] & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return {code_point, trail_count + 1, true};
}

bool PutCodePoint(char32_t code_point, ConversionOutput<char16_t>& out) {
  if (code_point < 0x10000) return out.Put(static_cast<char16_t>(code_point));
  code_point -= 0x10000;
  const char16_t pair[2] = {static_cast<char16_t>(0xD800 + (code_point >> 10)),
                            static_cast<char16_t>(0xDC00 + (code_point & 0x3FF))};
  return out.Put(pair, 2);
}

bool PutUtf8(char32_t code_point, ConversionOutput<char>& out) {
  char bytes[4];
  size_t length;
  if (code_point < 0x80) {
    bytes[0] = static_cast<char>(code_point);
    length = 1;
  } else if (code_point < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | (code_point >> 6));
    bytes[1] = static_cast<char>(0x80 | (code_point & 0x3F));
    length = 2;
  } else if (code_point < 0x10000) {
    bytes[0] = static_cast<char>(0xE0 | (code_point >> 12));
    bytes[1] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (code_point & 0x3F));
    length = 3;
  } else {
    bytes[0] = static_cast<char>(0xF0 | (code_point >> 18));
    bytes[1] = static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    bytes[3] = static_cast<char>(0x80 | (code_point & 0x3F));
    length = 4;
  }
  return out.Put(bytes, length);
}

}  // namespace

ConversionStatus DecodeUtf8(const char* text, size_t length, bool strict,
                            ConversionOutput<char16_t>& out) {
  auto bytes = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < length) {
    if (length - i >= 8 && out.HasRoom(8) && IsAsciiText(text + i, 8)) {
      for (size_t k = 0; k < 8; ++k) out.PutUnchecked(bytes[i + k]);
      i += 8;
      continue;
    }
    if (bytes[i] < 0x80) {
      if (!out.Put(bytes[i])) return ConversionStatus::kBufferTooSmall;
      ++i;
      continue;
    }
    Utf8Sequence sequence = ReadSequence(bytes + i, length - i);
    if (!sequence.valid && strict) return ConversionStatus::kInvalidInput;
    bool stored = sequence.valid ? PutCodePoint(sequence.code_point, out) : out.Put(kReplacement);
    if (!stored) return ConversionStatus::kBufferTooSmall;
    i += sequence.length;
  }
  return ConversionStatus::kDone;
}

ConversionStatus EncodeUtf8(const char16_t* text, size_t length, bool strict,
                            ConversionOutput<char>& out) {
  for (size_t i = 0; i < length; ++i) {
    if (length - i >= 8 && out.HasRoom(8) && IsAsciiText(text + i, 8)) {
      for (size_t k = 0; k < 8; ++k) out.PutUnchecked(static_cast<char>(text[i + k]));
      i += 7;
      continue;
    }
    char32_t code_point = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
      code_point = 0x10000 + ((code_point - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsSurrogate(text[i])) {
      if (strict) return ConversionStatus::kInvalidInput;
      code_point = kReplacement;
    }
    if (!PutUtf8(code_point, out)) return ConversionStatus::kBufferTooSmall;
  }
  return ConversionStatus::kDone;
}
