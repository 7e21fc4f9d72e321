#include "directory_text.h"

#include "system/utf8_codec.h"

bool Utf8FromOle(std::u16string_view text, std::string* utf8) {
  ConversionOutput<char> counter(nullptr, 0);
  if (EncodeUtf8(text.data(), text.size(), true, counter) != ConversionStatus::kDone) return false;
  utf8->resize(counter.count());
  ConversionOutput<char> out(utf8->data(), utf8->size());
  EncodeUtf8(text.data(), text.size(), true, out);
  return true;
}

std::u16string OleFromDirectory(std::string_view utf8) {
  ConversionOutput<char16_t> counter(nullptr, 0);
  DecodeUtf8(utf8.data(), utf8.size(), false, counter);
  std::u16string text(counter.count(), u'\0');
  ConversionOutput<char16_t> out(text.data(), text.size());
  DecodeUtf8(utf8.data(), utf8.size(), false, out);
  return text;
}
