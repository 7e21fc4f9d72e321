#include "utf16le.h"

void AppendUtf16Le(std::u16string_view text, std::vector<BYTE>* bytes) {
  size_t start = bytes->size();
  bytes->resize(start + 2 * text.size());
  StoreUtf16Le(text, bytes->data() + start);
}

std::u16string ReadUtf16Le(const BYTE* bytes, size_t size) {
  std::u16string text(size / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return text;
}
