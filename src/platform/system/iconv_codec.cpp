#include "iconv_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "utf16_units.h"

namespace {

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr const char* kUtf16 = "UTF-16LE";
#else
constexpr const char* kUtf16 = "UTF-16BE";
#endif

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// One open converter, kept for the next conversion between the same codesets (opening one costs
// far more than converting a line).
class CachedConverter {
 public:
  CachedConverter() = default;
  CachedConverter(const CachedConverter&) = delete;
  CachedConverter& operator=(const CachedConverter&) = delete;
  ~CachedConverter() { Close(); }

  // kNoConverter when iconv does not know the codeset. The converter starts in its initial state.
  iconv_t Get(const char* to, const char* from) {
    if (cd_ == kNoConverter || to_ != to || from_ != from) {
      Close();
      cd_ = iconv_open(to, from);
      to_ = to;
      from_ = from;
    } else {
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return cd_;
  }

 private:
  void Close() {
    if (cd_ != kNoConverter) iconv_close(cd_);
    cd_ = kNoConverter;
  }

  std::string to_, from_;
  iconv_t cd_ = kNoConverter;
};

thread_local CachedConverter decoder;
thread_local CachedConverter encoder;

constexpr size_t kChunkUnits = 2048;

// Runs one iconv step into chunk; returns the number of output bytes and leaves errno's value in
// *error (0 when the whole input was converted).
size_t ConvertStep(iconv_t cd, char** in, size_t* in_left, char* chunk, size_t chunk_bytes,
                   int* error) {
  char* out = chunk;
  size_t out_left = chunk_bytes;
  size_t result = iconv(cd, in, in_left, &out, &out_left);
  *error = result == static_cast<size_t>(-1) ? errno : 0;
  return chunk_bytes - out_left;
}

// Writes out what the converter still holds back and returns it to its initial state; returns the
// number of output bytes. Some converters keep a character until they see whether a combining mark
// follows (the CP1255 and CP1258 decoders, the BIG5-HKSCS encoder), so without this the end of
// the text, or the text before an unconvertible character, would be lost.
size_t FlushStep(iconv_t cd, char* chunk, size_t chunk_bytes) {
  char* out = chunk;
  size_t out_left = chunk_bytes;
  iconv(cd, nullptr, nullptr, &out, &out_left);
  return chunk_bytes - out_left;
}

char16_t UnitAt(const char* bytes) {
  char16_t unit;
  std::memcpy(&unit, bytes, sizeof unit);
  return unit;
}

// Bytes of the UTF-16 character at `in`: a surrogate pair is one character.
size_t CharacterBytes(const char* in, size_t in_left) {
  if (in_left < 4) return in_left < 2 ? in_left : 2;
  char16_t first = UnitAt(in), second = UnitAt(in + 2);
  bool pair = IsHighSurrogate(first) && IsLowSurrogate(second);
  return pair ? 4 : 2;
}

}  // namespace

ConversionStatus DecodeWithIconv(const char* codeset, const char* text, size_t length, bool strict,
                                 ConversionOutput<char16_t>& out) {
  iconv_t cd = decoder.Get(kUtf16, codeset);
  if (cd == kNoConverter) return ConversionStatus::kUnsupportedCodePage;
  char* in = const_cast<char*>(text);
  size_t in_left = length;
  char16_t chunk[kChunkUnits];
  auto flush = [&] {
    size_t bytes = FlushStep(cd, reinterpret_cast<char*>(chunk), sizeof chunk);
    return out.Put(chunk, bytes / sizeof(char16_t));
  };
  while (in_left > 0) {
    int error;
    size_t bytes =
        ConvertStep(cd, &in, &in_left, reinterpret_cast<char*>(chunk), sizeof chunk, &error);
    if (!out.Put(chunk, bytes / sizeof(char16_t))) return ConversionStatus::kBufferTooSmall;
    if (error == 0 || error == E2BIG) continue;
    // EILSEQ, or EINVAL for a lead byte cut off at the end.
    if (strict) return ConversionStatus::kInvalidInput;
    if (!flush() || !out.Put(0xFFFD)) return ConversionStatus::kBufferTooSmall;
    ++in;
    --in_left;
  }
  return flush() ? ConversionStatus::kDone : ConversionStatus::kBufferTooSmall;
}

ConversionStatus EncodeWithIconv(const char* codeset, const char16_t* text, size_t length,
                                 const char* default_char, size_t default_length,
                                 bool* used_default, ConversionOutput<char>& out) {
  iconv_t cd = encoder.Get(codeset, kUtf16);
  if (cd == kNoConverter) return ConversionStatus::kUnsupportedCodePage;
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text));
  size_t in_left = length * sizeof(char16_t);
  char chunk[kChunkUnits * 2];
  auto flush = [&] { return out.Put(chunk, FlushStep(cd, chunk, sizeof chunk)); };
  while (in_left > 0) {
    int error;
    size_t bytes = ConvertStep(cd, &in, &in_left, chunk, sizeof chunk, &error);
    if (!out.Put(chunk, bytes)) return ConversionStatus::kBufferTooSmall;
    if (error == 0 || error == E2BIG) continue;
    // The character at `in` has no form in the codeset, or is a lone surrogate.
    size_t skipped = CharacterBytes(in, in_left);
    *used_default = true;
    if (!flush() || !out.Put(default_char, default_length)) {
      return ConversionStatus::kBufferTooSmall;
    }
    in += skipped;
    in_left -= skipped;
  }
  return flush() ? ConversionStatus::kDone : ConversionStatus::kBufferTooSmall;
}
