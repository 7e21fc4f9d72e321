#include "profile_decoder.h"

#include <algorithm>
#include <cstring>

#include <winbase.h>
#include <winnls.h>

namespace {

bool StartsWith(const std::string& bytes, const char* mark, size_t length) {
  return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

char16_t MakeUnit(char first, char second, bool little_endian) {
  auto a = static_cast<unsigned char>(first);
  auto b = static_cast<unsigned char>(second);
  return static_cast<char16_t>(little_endian ? a | b << 8 : a << 8 | b);
}

// Two loops rather than one with a test inside, so that each is vectorised.
void ReadUnits(const char* bytes, size_t count, bool little_endian, char16_t* units) {
  if (little_endian) {
    for (size_t i = 0; i < count; ++i) units[i] = MakeUnit(bytes[2 * i], bytes[2 * i + 1], true);
  } else {
    for (size_t i = 0; i < count; ++i) units[i] = MakeUnit(bytes[2 * i], bytes[2 * i + 1], false);
  }
}

// The length of the longest prefix of bytes that does not end inside a UTF-8 sequence.
size_t CompleteUtf8Prefix(const char* bytes, size_t count) {
  for (size_t back = 1; back <= std::min<size_t>(count, 4); ++back) {
    auto byte = static_cast<unsigned char>(bytes[count - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? count - back : count;
  }
  return count;
}

}  // namespace

ProfileDecoder::ProfileDecoder(UINT code_page, size_t size_hint)
    : code_page_(code_page), size_hint_(size_hint), converter_(code_page, &text_) {}

void ProfileDecoder::Append(const char* bytes, size_t count) {
  if (encoding_ == Encoding::kUnknown) {
    size_t take = std::min(count, 3 - pending_.size());
    pending_.append(bytes, take);
    bytes += take;
    count -= take;
    if (pending_.size() < 3) return;
    DetectEncoding();
  }
  Decode(bytes, count, false);
}

bool ProfileDecoder::Finish() {
  if (encoding_ == Encoding::kUnknown) DetectEncoding();
  Decode(nullptr, 0, true);
  return error_ == 0;
}

// A UTF-8 file for a UTF-8 code page is taken byte for byte, like an ANSI file: nothing to
// convert, and bytes that are not valid UTF-8 are kept rather than replaced.
void ProfileDecoder::DetectEncoding() {
  if (StartsWith(pending_, "\xEF\xBB\xBF", 3)) {
    encoding_ = code_page_ == CP_UTF8 ? Encoding::kAnsi : Encoding::kUtf8;
    pending_.erase(0, 3);
  } else if (StartsWith(pending_, "\xFF\xFE", 2)) {
    encoding_ = Encoding::kUtf16Le;
    pending_.erase(0, 2);
  } else if (StartsWith(pending_, "\xFE\xFF", 2)) {
    encoding_ = Encoding::kUtf16Be;
    pending_.erase(0, 2);
  } else {
    encoding_ = Encoding::kAnsi;
  }
  bool utf16 = encoding_ == Encoding::kUtf16Le || encoding_ == Encoding::kUtf16Be;
  text_.Reserve(utf16 ? size_hint_ / 2 + 1 : size_hint_ + 1);
}

void ProfileDecoder::Decode(const char* bytes, size_t count, bool at_end) {
  size_t start = text_.size();
  switch (encoding_) {
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      DecodeUtf16(bytes, count, at_end);
      break;
    case Encoding::kUtf8:
      DecodeUtf8(bytes, count, at_end);
      break;
    default:
      text_.Append(pending_.data(), pending_.size());
      pending_.clear();
      text_.Append(bytes, count);
  }
  DropNulBytes(start);
}

// Done block by block, while the new text is still in the cache.
void ProfileDecoder::DropNulBytes(size_t from) {
  char* begin = text_.data() + from;
  char* end = text_.data() + text_.size();
  if (begin == end) return;
  auto first = static_cast<char*>(std::memchr(begin, '\0', end - begin));
  if (first != nullptr) text_.Truncate(std::remove(first, end, '\0') - text_.data());
}

void ProfileDecoder::DecodeUtf16(const char* bytes, size_t count, bool at_end) {
  bool little_endian = encoding_ == Encoding::kUtf16Le;
  char16_t* slice = converter_.slice();
  size_t filled = converter_.kept();
  if (!pending_.empty() && count > 0) {
    slice[filled++] = MakeUnit(pending_[0], bytes[0], little_endian);
    pending_.clear();
    ++bytes;
    --count;
  }
  for (;;) {
    size_t take = std::min(count / 2, AnsiConverter::kSliceUnits - filled);
    ReadUnits(bytes, take, little_endian, slice + filled);
    filled += take;
    bytes += 2 * take;
    count -= 2 * take;
    bool last = count < 2;
    if (last && count == 1) pending_.assign(1, *bytes);
    // An odd last byte is half a character, which no code page holds.
    if (last && at_end && !pending_.empty()) return Fail(ERROR_NO_UNICODE_TRANSLATION);
    if (!converter_.Convert(filled, at_end && last)) return Fail(converter_.error());
    if (last) return;
    filled = converter_.kept();
  }
}

void ProfileDecoder::DecodeUtf8(const char* bytes, size_t count, bool at_end) {
  std::string joined;
  if (!pending_.empty()) {
    joined = std::move(pending_);
    if (count > 0) joined.append(bytes, count);
    bytes = joined.data();
    count = joined.size();
  }
  size_t complete = at_end ? count : CompleteUtf8Prefix(bytes, count);
  pending_.assign(bytes + complete, count - complete);
  // Whole UTF-8 sequences give whole surrogate pairs, so the converter never keeps a unit here.
  for (size_t done = 0; done < complete;) {
    size_t take = std::min(complete - done, converter_.room());
    if (done + take < complete) take = CompleteUtf8Prefix(bytes + done, take);
    int made = MultiByteToWideChar(CP_UTF8, 0, bytes + done, static_cast<int>(take),
                                   converter_.slice(), static_cast<int>(converter_.room()));
    if (made <= 0) return Fail(GetLastError());
    if (!converter_.Convert(made, true)) return Fail(converter_.error());
    done += take;
  }
}

void ProfileDecoder::Fail(DWORD error) {
  if (error_ == 0) error_ = error != 0 ? error : ERROR_NO_UNICODE_TRANSLATION;
}
