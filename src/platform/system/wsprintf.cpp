// wsprintfA and wvsprintfA with Windows' sizes: a number is 32 bits unless "h" (16) or "I64"
// (64) says otherwise, so "%lX" reads an int-sized argument although long is 64-bit here.
#include <cstdint>
#include <string>

#include <windows.h>

namespace {

// Windows stores at most 1024 bytes, the terminator included, and drops the rest.
constexpr size_t kMaxOutput = 1023;

enum class ArgumentSize { kDefault, kShort, kLong, kWide, k64 };

struct Conversion {
  bool left_aligned = false;
  bool alternate = false;
  bool zero_padded = false;
  size_t width = 0;
  int precision = -1;
  ArgumentSize size = ArgumentSize::kDefault;
  char type = '\0';
};

size_t ReadNumber(const char*& p) {
  size_t value = 0;
  while (*p >= '0' && *p <= '9') value = value * 10 + size_t(*p++ - '0');
  return value;
}

// Parses the conversion after '%'; p ends on its type character.
Conversion ParseConversion(const char*& p) {
  Conversion conversion;
  for (;; ++p) {
    if (*p == '-')
      conversion.left_aligned = true;
    else if (*p == '#')
      conversion.alternate = true;
    else if (*p == '0')
      conversion.zero_padded = true;
    else
      break;
  }
  conversion.width = ReadNumber(p);
  if (*p == '.') {
    ++p;
    conversion.precision = static_cast<int>(ReadNumber(p));
  }
  if (*p == 'h') {
    conversion.size = ArgumentSize::kShort;
    ++p;
  } else if (*p == 'l') {
    conversion.size = ArgumentSize::kLong;
    ++p;
  } else if (*p == 'w') {
    conversion.size = ArgumentSize::kWide;
    ++p;
  } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
    conversion.size = ArgumentSize::k64;
    p += 3;
  }
  conversion.type = *p;
  return conversion;
}

// Wide text (or a wide character) as ANSI text.
std::string FromWide(const char16_t* text, size_t length) {
  if (length == 0) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, text, int(length), nullptr, 0, nullptr, nullptr);
  std::string result(size > 0 ? size_t(size) : 0, '\0');
  if (size > 0)
    WideCharToMultiByte(CP_ACP, 0, text, int(length), &result[0], size, nullptr, nullptr);
  return result;
}

bool TakesWideText(const Conversion& conversion) {
  bool lower = conversion.type == 'c' || conversion.type == 's';
  if (lower)
    return conversion.size == ArgumentSize::kLong || conversion.size == ArgumentSize::kWide;
  return conversion.size != ArgumentSize::kShort;
}

std::string FormatCharacter(const Conversion& conversion, va_list& args) {
  int value = va_arg(args, int);
  if (!TakesWideText(conversion)) return std::string(1, static_cast<char>(value));
  const char16_t wide = static_cast<char16_t>(value);
  return FromWide(&wide, 1);
}

std::string FormatText(const Conversion& conversion, va_list& args) {
  size_t limit = conversion.precision >= 0 ? size_t(conversion.precision) : SIZE_MAX;
  if (TakesWideText(conversion)) {
    const char16_t* text = va_arg(args, const char16_t*);
    if (text == nullptr) return std::string("(null)").substr(0, limit);
    size_t length = 0;
    while (length < limit && text[length] != 0) ++length;
    return FromWide(text, length);
  }
  const char* text = va_arg(args, const char*);
  if (text == nullptr) text = "(null)";
  size_t length = 0;
  while (length < limit && text[length] != '\0') ++length;
  return std::string(text, length);
}

std::string FormatInteger(const Conversion& conversion, va_list& args) {
  bool is_signed = conversion.type == 'd' || conversion.type == 'i';
  uint64_t magnitude;
  bool negative = false;
  if (conversion.size == ArgumentSize::k64) {
    int64_t value = va_arg(args, int64_t);
    negative = is_signed && value < 0;
    magnitude = negative ? 0 - uint64_t(value) : uint64_t(value);
  } else {
    // Every smaller size arrives promoted to int.
    int raw = va_arg(args, int);
    int32_t value = conversion.size == ArgumentSize::kShort
                        ? (is_signed ? int32_t(int16_t(raw)) : int32_t(uint16_t(raw)))
                        : int32_t(raw);
    negative = is_signed && value < 0;
    magnitude = negative ? 0 - uint64_t(int64_t(value)) : uint64_t(uint32_t(value));
  }

  const char* digits = conversion.type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  unsigned base = conversion.type == 'x' || conversion.type == 'X' ? 16 : 10;
  std::string number;
  for (; magnitude != 0; magnitude /= base) number.insert(number.begin(), digits[magnitude % base]);
  size_t minimum_digits = conversion.precision >= 0 ? size_t(conversion.precision) : 1;
  if (number.size() < minimum_digits) number.insert(0, minimum_digits - number.size(), '0');

  std::string prefix = negative ? "-" : "";
  if (conversion.alternate && base == 16 && number.find_first_not_of('0') != std::string::npos) {
    prefix += conversion.type == 'X' ? "0X" : "0x";
  }
  if (conversion.zero_padded && !conversion.left_aligned &&
      prefix.size() + number.size() < conversion.width) {
    number.insert(0, conversion.width - prefix.size() - number.size(), '0');
  }
  return prefix + number;
}

std::string Format(const Conversion& conversion, va_list& args) {
  switch (conversion.type) {
    case 'c':
    case 'C':
      return FormatCharacter(conversion, args);
    case 's':
    case 'S':
      return FormatText(conversion, args);
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
      return FormatInteger(conversion, args);
    default:
      // An unknown type prints as itself and takes no argument.
      return std::string(1, conversion.type);
  }
}

std::string Pad(std::string text, const Conversion& conversion) {
  if (text.size() >= conversion.width) return text;
  size_t fill = conversion.width - text.size();
  if (conversion.left_aligned) return text.append(fill, ' ');
  return text.insert(0, fill, ' ');
}

}  // namespace

int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
  va_list args;
  va_copy(args, arglist);
  std::string output;
  for (const char* p = lpFmt; *p != '\0' && output.size() < kMaxOutput; ++p) {
    if (*p != '%') {
      output += *p;
      continue;
    }
    ++p;
    if (*p == '\0') break;
    Conversion conversion = ParseConversion(p);
    if (conversion.type == '\0') break;
    output += Pad(Format(conversion, args), conversion);
  }
  va_end(args);
  if (output.size() > kMaxOutput) output.resize(kMaxOutput);
  output.copy(lpOut, output.size());
  lpOut[output.size()] = '\0';
  return static_cast<int>(output.size());
}

int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
  va_list args;
  va_start(args, lpFmt);
  int length = wvsprintfA(lpOut, lpFmt, args);
  va_end(args);
  return length;
}
