#include "fragment_generator.h"

#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

namespace {

// Writes text to a file in the fragment's encoding, in large pieces.
class FragmentWriter {
 public:
  FragmentWriter(const std::string& path, FragmentEncoding encoding)
      : file_(std::fopen(path.c_str(), "wb")), encoding_(encoding) {
    if (file_ != nullptr && encoding_ == FragmentEncoding::Utf16Le) pending_ = "\xff\xfe";
  }
  ~FragmentWriter() {
    if (file_ == nullptr) return;
    Flush();
    std::fclose(file_);
  }
  FragmentWriter(const FragmentWriter&) = delete;
  FragmentWriter& operator=(const FragmentWriter&) = delete;

  bool ok() const { return file_ != nullptr; }
  long long written() const { return written_ + static_cast<long long>(pending_.size()); }

  void Append(const std::string& utf8) {
    if (encoding_ == FragmentEncoding::Ansi) {
      pending_ += utf8;
    } else {
      AppendUtf16(utf8);
    }
    if (pending_.size() > (1 << 20)) Flush();
  }

 private:
  void AppendUtf16(const std::string& utf8) {
    int units =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::vector<WCHAR> text(static_cast<size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), units);
    for (WCHAR unit : text) {
      pending_ += static_cast<char>(unit & 0xff);
      pending_ += static_cast<char>(unit >> 8);
    }
  }
  void Flush() {
    std::fwrite(pending_.data(), 1, pending_.size(), file_);
    written_ += static_cast<long long>(pending_.size());
    pending_.clear();
  }

  FILE* file_;
  FragmentEncoding encoding_;
  std::string pending_;
  long long written_ = 0;
};

// "name"=prefix followed by the bytes as a comma-separated list, wrapped as the editor wraps it:
// a line that reaches the 77th column ends in a backslash and the list goes on indented by two.
std::string ListEntry(const std::string& name, const char* prefix,
                      const std::vector<unsigned char>& bytes) {
  std::string text = "\"" + name + "\"=" + prefix;
  size_t column = text.size();
  for (size_t i = 0; i < bytes.size(); ++i) {
    char item[4];
    std::snprintf(item, sizeof item, "%02x", bytes[i]);
    text += item;
    column += 2;
    if (i + 1 == bytes.size()) break;
    text += ',';
    if (++column >= 77) {
      text += "\\\r\n  ";
      column = 2;
    }
  }
  return text + "\r\n";
}

// UTF-16LE bytes of ASCII strings, each with its terminator, and a final one for a list.
std::vector<unsigned char> Utf16Strings(const std::vector<std::string>& strings, bool list) {
  std::vector<unsigned char> bytes;
  for (const std::string& text : strings) {
    for (char c : text) bytes.insert(bytes.end(), {static_cast<unsigned char>(c), 0});
    bytes.insert(bytes.end(), {0, 0});
  }
  if (list) bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

std::vector<unsigned char> BinaryData(long long index) {
  std::vector<unsigned char> bytes(static_cast<size_t>(16 + index * 37 % 400));
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(index + i * 7);
  return bytes;
}

// One key as the editor exports it: a default, a string, a number and a name with non-ASCII
// text in every key, binary, expandable, multi-string and 64-bit values in some of them.
std::string Section(long long index) {
  std::string key = std::to_string(index);
  char number[16];
  std::snprintf(number, sizeof number, "%08llx", index & 0xffffffff);
  std::string text = "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Bench\\Group" +
                     std::to_string(index / 64) + "\\Key" + key + "]\r\n";
  text += "@=\"Default value of key " + key + "\"\r\n";
  text += "\"Index\"=dword:" + std::string(number) + "\r\n";
  text += "\"Path\"=\"C:\\\\Program Files\\\\Bench\\\\" + key + "\"\r\n";
  text += "\"Name\"=\"\xe4\xb8\xad\xe6\x96\x87 text\"\r\n";
  if (index % 2 == 0) text += ListEntry("Blob", "hex:", BinaryData(index));
  if (index % 3 == 0) {
    text += ListEntry("Expand", "hex(2):", Utf16Strings({"%SystemRoot%\\Bench\\" + key}, false));
  }
  if (index % 4 == 1) {
    text += ListEntry("Multi", "hex(7):", Utf16Strings({"alpha", "beta " + key, "gamma"}, true));
  }
  if (index % 5 == 0) text += "\"Quota\"=hex(b):00,10,00,00,00,00,00,00\r\n";
  return text;
}

}  // namespace

const char* EncodingName(FragmentEncoding encoding) {
  return encoding == FragmentEncoding::Ansi ? "ANSI" : "UTF-16LE";
}

GeneratedFragment GenerateFragment(const std::string& path, FragmentEncoding encoding,
                                   long long bytes) {
  GeneratedFragment fragment;
  FragmentWriter writer(path, encoding);
  if (!writer.ok()) return fragment;
  writer.Append(encoding == FragmentEncoding::Ansi ? "REGEDIT4\r\n"
                                                   : "Windows Registry Editor Version 5.00\r\n");
  while (writer.written() < bytes) writer.Append(Section(fragment.sections++));
  writer.Append("\r\n");
  fragment.last_key = "SOFTWARE\\Bench\\Group" + std::to_string((fragment.sections - 1) / 64) +
                      "\\Key" + std::to_string(fragment.sections - 1);
  return fragment;
}
