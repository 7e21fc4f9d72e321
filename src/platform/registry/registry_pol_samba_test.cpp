// Samba's own Registry.pol reader (Debian's python3-samba, which scripts/install-deps installs)
// decodes what the hive saves, and re-encodes it to the same bytes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/registry_test_support.h"

namespace {

// Run as python3 -c, with the file as its argument; no single quotes, for the shell.
constexpr const char* kSambaDecoder = R"(
import sys
from samba.dcerpc import preg
from samba.ndr import ndr_pack, ndr_unpack
data = open(sys.argv[1], "rb").read()
pol = ndr_unpack(preg.file, data)
print(pol.header.signature, pol.header.version, pol.num_entries)
for entry in pol.entries:
    print(ascii(entry.keyname), ascii(entry.valuename), entry.type, ascii(entry.data))
print("repacked identically" if ndr_pack(pol) == data else "repacked differently")
)";

// What the decoder prints for pol, followed by its exit status.
std::string DecodeWithSamba(const std::string& pol) {
  char path[] = "/tmp/registry_pol_XXXXXX";
  int file = mkstemp(path);
  if (file < 0) return "no scratch file";
  bool written = write(file, pol.data(), pol.size()) == static_cast<ssize_t>(pol.size());
  close(file);
  std::string output;
  std::string command =
      "/usr/bin/python3 -c '" + std::string(kSambaDecoder) + "' " + path + " 2>&1";
  if (FILE* pipe = written ? popen(command.c_str(), "r") : nullptr) {
    char buffer[4096];
    while (size_t count = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, count);
    output += "exit " + std::to_string(pclose(pipe));
  }
  std::remove(path);
  return output;
}

TEST(RegistryPolSambaTest, SambaReadsWhatTheHiveSaves) {
  using std::string_literals::operator""s;
  RegistryHive hive;
  HKEY root = hive.OpenRoot();
  HKEY tool = CreateKey(root, "Software\\Policies\\Regweave");
  SetValue(tool, "Dword", REG_DWORD, "\5\0\0\0"s);
  SetValue(tool, "Text", REG_SZ, "h\xc3\xa9\xe4\xb8\xad"s);
  SetValue(tool, "Multi", REG_MULTI_SZ, "a\0b\0\0"s);
  SetValue(tool, "Binary", REG_BINARY, "\1\2\3"s);
  SetValue(tool, "Quad", REG_QWORD, "\0\0\0\0\0\1\0\0"s);
  SetValue(tool, "**del.Old", REG_SZ, " "s);
  SetValue(tool, "Expand", REG_EXPAND_SZ, "%SystemRoot%\0"s);
  SetValue(tool, nullptr, REG_SZ, "def"s);
  HKEY cyrillic = CreateKey(root, "Software\\Policies\\\xd0\x9a\xd0\xbb\xd1\x8e\xd1\x87");
  SetValue(cyrillic, "\xd0\x98\xd0\xbc\xd1\x8f", REG_SZ, "\xd0\xb7\xd0\xbd\xd0\xb0\xd1\x87"s);
  RegCloseKey(CreateKey(root, "Software\\Policies\\Empty"));
  for (HKEY key : {tool, cyrillic, root}) RegCloseKey(key);

  EXPECT_EQ(DecodeWithSamba(hive.Save()), R"(PReg 1 10
'Software\\Policies\\Empty' '' 0 None
'Software\\Policies\\Regweave' 'Dword' 4 5
'Software\\Policies\\Regweave' 'Text' 1 'h\xe9\u4e2d'
'Software\\Policies\\Regweave' 'Multi' 7 b'a\x00\x00\x00b\x00\x00\x00\x00\x00'
'Software\\Policies\\Regweave' 'Binary' 3 b'\x01\x02\x03'
'Software\\Policies\\Regweave' 'Quad' 11 1099511627776
'Software\\Policies\\Regweave' '**del.Old' 1 ' '
'Software\\Policies\\Regweave' 'Expand' 2 '%SystemRoot%'
'Software\\Policies\\Regweave' '' 1 'def'
'Software\\Policies\\\u041a\u043b\u044e\u0447' '\u0418\u043c\u044f' 1 '\u0437\u043d\u0430\u0447'
repacked identically
exit 0)");
}

}  // namespace
