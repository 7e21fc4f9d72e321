// Samba's own Registry.pol reader (Debian's python3-samba, which scripts/install-deps installs)
// decodes what the hive saves, and re-encodes it to the same bytes.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

#include "registry_test_support.h"

namespace {

constexpr const char* kSambaDecoder = R"(import sys
from samba.dcerpc import preg
from samba.ndr import ndr_pack, ndr_unpack
data = open(sys.argv[1], 'rb').read()
pol = ndr_unpack(preg.file, data)
print(pol.header.signature, pol.header.version, pol.num_entries)
for entry in pol.entries:
    print(ascii(entry.keyname), ascii(entry.valuename), entry.type, ascii(entry.data))
print('repacked identically' if ndr_pack(pol) == data else 'repacked differently')
)";

// A scratch folder, removed with its files on destruction.
class ScratchFolder {
 public:
  ScratchFolder() {
    char path[] = "/tmp/registry_pol_samba_XXXXXX";
    if (mkdtemp(path)) path_ = path;
  }
  ~ScratchFolder() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

// Standard output and error of the command, and its exit status.
std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return "cannot run: " + command;
  char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
  *status = pclose(pipe);
  return output;
}

void SetValue(HKEY key, const char* name, DWORD type, const std::string& data) {
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())),
            ERROR_SUCCESS)
      << name;
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
  std::vector<BYTE> saved = hive.Save();

  ScratchFolder folder;
  WriteFile(folder.File("Registry.pol"), std::string(saved.begin(), saved.end()));
  WriteFile(folder.File("decode.py"), kSambaDecoder);
  int status = -1;
  std::string output = RunCommand(
      "/usr/bin/python3 '" + folder.File("decode.py") + "' '" + folder.File("Registry.pol") + "'",
      &status);
  EXPECT_EQ(status, 0) << output;
  EXPECT_EQ(output, R"(PReg 1 10
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
)");
}

}  // namespace
