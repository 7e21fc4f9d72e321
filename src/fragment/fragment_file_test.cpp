#include "fragment_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/bstr.h"
#include "support/code_page_switch.h"
#include "support/registry_root.h"
#include "support/scratch_folder.h"
#include "support/writer_hold.h"
#ifndef _WIN32
#include <unistd.h>

#include "registry/hive.h"
#endif

namespace {

using Bytes = std::vector<BYTE>;

// A scratch folder for fragment files.
class FragmentFolder {
 public:
  // Writes bytes to a new file in the folder and returns its path.
  std::string Write(const std::string& bytes, const std::string& name = "") {
    std::string path = In(name.empty() ? std::to_string(++count_) + ".reg" : name);
#ifdef _WIN32
    // Named through the ANSI code page, as the tool will look for it.
    UniqueBstr wide(AnsiToBstr(path.c_str()));
    std::ofstream(std::filesystem::path(std::wstring(wide.get(), wide.length())), std::ios::binary)
        << bytes;
#else
    std::ofstream(path, std::ios::binary) << bytes;
#endif
    return path;
  }
  // The path of a file in the folder, with the platform's separator. (Not through
  // std::filesystem, which would read the name's bytes in another code page on Windows.)
  std::string In(const std::string& name) const {
#ifdef _WIN32
    return folder_.path() + "\\" + name;
#else
    return folder_.path() + "/" + name;
#endif
  }
  const std::string& path() const {
    return folder_.path();
  }

 private:
  ScratchFolder folder_;
  int count_ = 0;
};

// UTF-16LE with a byte order mark, as the registry editor exports.
std::string Utf16Le(const std::string& utf8) {
  int units =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::basic_string<WCHAR> text(static_cast<size_t>(units), WCHAR());
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), units);
  std::string bytes = "\xff\xfe";
  for (WCHAR unit : text) {
    bytes += static_cast<char>(unit & 0xff);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

struct Import {
  HRESULT result;
  std::string output;
};

Import ImportFile(const std::string& path, HKEY key, UINT root_index) {
  UniqueBstr wide(AnsiToBstr(path.c_str()));
  FragmentFile fragment(wide.get());
  testing::internal::CaptureStdout();
  HRESULT result = fragment.ImportSections(key, root_index);
  std::fflush(stdout);
  return {result, testing::internal::GetCapturedStdout()};
}

std::string Hex(const BYTE* data, DWORD size) {
  std::string text;
  char byte[3];
  for (DWORD i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    text += byte;
  }
  return text;
}

// Wine enumerates a key's values sorted by name, where Windows and the Linux platform keep the
// order they were created in: the Windows build sorts each key's run of values, comparing them as
// a set.
std::vector<std::string> AsSet(std::vector<std::string> contents) {
#ifdef _WIN32
  auto key_of = [](const std::string& entry) { return entry.substr(0, entry.find('|')); };
  for (auto run = contents.begin(); run != contents.end();) {
    auto end = run;
    while (end != contents.end() && end->find('|') != std::string::npos &&
           key_of(*end) == key_of(*run)) {
      ++end;
    }
    std::sort(run, end);
    run = end == run ? run + 1 : end;
  }
#endif
  return contents;
}

// Every key below key as "path", every value as "path|name|type|data in hex", depth first.
void ListContents(HKEY key, const std::string& path, std::vector<std::string>* contents) {
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD name_length = sizeof name;
    DWORD type = 0;
    std::vector<BYTE> data(70000);
    auto size = static_cast<DWORD>(data.size());
    if (RegEnumValueA(key, index, name, &name_length, nullptr, &type, data.data(), &size) != 0) {
      break;
    }
    contents->push_back(path + "|" + name + "|" + std::to_string(type) + "|" +
                        Hex(data.data(), size));
  }
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD name_length = sizeof name;
    if (RegEnumKeyExA(key, index, name, &name_length, nullptr, nullptr, nullptr, nullptr) != 0) {
      break;
    }
    std::string subpath = path.empty() ? name : path + "\\" + name;
    contents->push_back(subpath);
    HKEY subkey = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key, name, 0, KEY_READ, &subkey), 0);
    ListContents(subkey, subpath, contents);
    RegCloseKey(subkey);
  }
}

void CreateKey(HKEY root, const char* path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
  RegCloseKey(key);
}

std::vector<std::string> Contents(HKEY root) {
  std::vector<std::string> contents;
  ListContents(root, "", &contents);
  return contents;
}

// A registry root with its key open, as the policy object hands it out.
struct OpenHive {
  ~OpenHive() { RegCloseKey(root); }
  ScratchRegistryRoot hive;
  HKEY root = hive.Open();
};

struct SectionCase {
  const char* what;
  const char* fragment;
  UINT root_index;
  std::string output;
  std::vector<std::string> contents;  // the hive afterwards; it starts with Software\Old\Leaf
};

const SectionCase kSectionCases[] = {
    {"a section of the selected root writes below the policy's root",
     "[HKEY_LOCAL_MACHINE\\Software\\Example]\n\"N\"=dword:1\n",
     0,
     "",
     {"Software", "Software\\Example", "Software\\Example|N|4|01000000", "Software\\Old",
      "Software\\Old\\Leaf"}},
    {"the other root's sections are passed over",
     "[HKEY_LOCAL_MACHINE\\Software\\Example]\n\"N\"=dword:1\n",
     1,
     "",
     {"Software", "Software\\Old", "Software\\Old\\Leaf"}},
    {"the root name is matched with case",
     "[hkey_local_machine\\Software\\Example]\n\"N\"=dword:1\n",
     0,
     "",
     {"Software", "Software\\Old", "Software\\Old\\Leaf"}},
    {"a section with no lines creates its key",
     "[HKEY_CURRENT_USER\\Software\\Empty]\n",
     1,
     "",
     {"Software", "Software\\Empty", "Software\\Old", "Software\\Old\\Leaf"}},
    {"the separator is not tested",
     "[HKEY_LOCAL_MACHINE/Software]\n\"N\"=dword:2\n",
     0,
     "",
     {"Software", "Software|N|4|02000000", "Software\\Old", "Software\\Old\\Leaf"}},
    {"a longer root name is another root's, also to delete",
     "[HKEY_CURRENT_USER_LOCAL_SETTINGS\\Software\\Old]\n\"N\"=dword:2\n"
     "[HKEY_CURRENT_USER0\\Software]\n[HKEY_CURRENT_USERx\\Software]\n"
     "[-HKEY_CURRENT_USER_LOCAL_SETTINGS\\Software\\Old\\Leaf]\n",
     1,
     "",
     {"Software", "Software\\Old", "Software\\Old\\Leaf"}},
    {"a root-named section writes at the root",
     "[HKEY_LOCAL_MACHINE]\n\"N\"=dword:3\n",
     0,
     "",
     {"|N|4|03000000", "Software", "Software\\Old", "Software\\Old\\Leaf"}},
    {"a root name with a separator alone writes at the root",
     "[HKEY_LOCAL_MACHINE\\]\n\"N\"=dword:4\n",
     0,
     "",
     {"|N|4|04000000", "Software", "Software\\Old", "Software\\Old\\Leaf"}},
    {"a deletion removes a key",
     "[-HKEY_LOCAL_MACHINE\\Software\\Old\\Leaf]\n",
     0,
     "",
     {"Software", "Software\\Old"}},
    {"a missing key cannot be deleted",
     "[-HKEY_LOCAL_MACHINE\\Software\\Missing]\n",
     0,
     "Error 2, unable to delete key: Software\\Missing\n",
     {"Software", "Software\\Old", "Software\\Old\\Leaf"}},
    {"a key with subkeys cannot be deleted",
     "[-HKEY_LOCAL_MACHINE\\Software\\Old]\n",
     0,
     "Error 5, unable to delete key: Software\\Old\n",
     {"Software", "Software\\Old", "Software\\Old\\Leaf"}},
    {"the root key is never deleted",
     "[-HKEY_LOCAL_MACHINE]\n[-HKEY_LOCAL_MACHINE\\]\n",
     0,
     "Error 5, unable to delete key: HKEY_LOCAL_MACHINE\n"
     "Error 5, unable to delete key: HKEY_LOCAL_MACHINE\n",
     {"Software", "Software\\Old", "Software\\Old\\Leaf"}},
    {"a key the registry refuses is reported and the walk goes on",
     "[HKEY_LOCAL_MACHINE\\\\A]\n\"N\"=dword:1\n[HKEY_LOCAL_MACHINE\\C]\n",
     0,
     "Error 161, unable to create key: \\A\n",
     {"C", "Software", "Software\\Old", "Software\\Old\\Leaf"}},
    {"a doubled backslash separates once",
     "[HKEY_LOCAL_MACHINE\\A\\\\B]\n\"N\"=dword:1\n",
     0,
     "",
     {"A", "A\\B", "A\\B|N|4|01000000", "Software", "Software\\Old", "Software\\Old\\Leaf"}},
    // Windows reads section names without regard to case, the first spelling standing for both.
    {"a lower-case root before the upper-case one: only the upper-case one is imported (Linux), "
     "the first one's lines (Windows)",
     "[hkey_local_machine\\Software\\A]\n\"Lower\"=dword:1\n"
     "[HKEY_LOCAL_MACHINE\\Software\\A]\n\"Upper\"=dword:2\n",
     0,
     "",
#ifdef _WIN32
     {"Software", "Software\\A", "Software\\A|Lower|4|01000000", "Software\\Old",
      "Software\\Old\\Leaf"}},
#else
     {"Software", "Software\\A", "Software\\A|Upper|4|02000000", "Software\\Old",
      "Software\\Old\\Leaf"}},
#endif
    {"a lower-case root after the upper-case one: only the upper-case one is imported",
     "[HKEY_LOCAL_MACHINE\\Software\\A]\n\"Upper\"=dword:2\n"
     "[hkey_local_machine\\Software\\A]\n\"Lower\"=dword:1\n",
     0,
     "",
     {"Software", "Software\\A", "Software\\A|Upper|4|02000000", "Software\\Old",
      "Software\\Old\\Leaf"}},
    {"a key written, deleted and written again keeps what was written",
     "[HKEY_LOCAL_MACHINE\\Software\\Old\\Leaf]\n\"Before\"=dword:1\n"
     "[-HKEY_LOCAL_MACHINE\\Software\\Old\\Leaf]\n"
     "[HKEY_LOCAL_MACHINE\\Software\\Old\\Leaf]\n\"After\"=dword:2\n",
     0,
     "",
#ifdef _WIN32
     // Windows reads the first section of the name for each of them: the second write is lost.
     {"Software", "Software\\Old", "Software\\Old\\Leaf", "Software\\Old\\Leaf|Before|4|01000000"}},
#else
     {"Software", "Software\\Old", "Software\\Old\\Leaf", "Software\\Old\\Leaf|Before|4|01000000",
      "Software\\Old\\Leaf|After|4|02000000"}},
#endif
    {"a key deleted, written and deleted again is gone",
     "[-HKEY_LOCAL_MACHINE\\Software\\Old\\Leaf]\n"
     "[HKEY_LOCAL_MACHINE\\Software\\Old\\Leaf]\n\"N\"=dword:1\n"
     "[-HKEY_LOCAL_MACHINE\\Software\\Old\\Leaf]\n",
     0,
     "",
     {"Software", "Software\\Old"}},
    {"other roots are imported by their index",
     "[HKEY_USERS\\S-1]\n\"N\"=dword:5\n",
     3,
     "",
     {"S-1", "S-1|N|4|05000000", "Software", "Software\\Old", "Software\\Old\\Leaf"}},
};

TEST(FragmentFileTest, SectionNamesSelectTheAction) {
  FragmentFolder folder;
  for (const SectionCase& row : kSectionCases) {
    OpenHive policy;
    CreateKey(policy.root, "Software\\Old\\Leaf");
    Import import = ImportFile(folder.Write(row.fragment), policy.root, row.root_index);
    EXPECT_EQ(import.result, S_OK) << row.what;
    EXPECT_EQ(import.output, row.output) << row.what;
    EXPECT_EQ(AsSet(Contents(policy.root)), AsSet(row.contents)) << row.what;
  }
}

TEST(FragmentFileTest, RootIndexOutsideTheTable) {
  FragmentFolder folder;
  OpenHive policy;
  EXPECT_EQ(ImportFile(folder.Write("[HKEY_LOCAL_MACHINE\\A]\n"), policy.root, 5).result,
            E_INVALIDARG);
  EXPECT_TRUE(Contents(policy.root).empty());
}

// The fragment's path goes through the ANSI code page; one it cannot express exactly opens nothing.
TEST(FragmentFileTest, OpenErrors) {
  FragmentFolder folder;
  std::string chinese = folder.Write("[HKEY_LOCAL_MACHINE\\A]\n", "\xe4\xb8\xad.reg");
  struct Case {
    const char* what;
    UniqueBstr path;
    DWORD error;
  } cases[] = {
      {"a path above U+00FF", UniqueBstr(AnsiToBstr(chinese.c_str())), ERROR_SUCCESS},
      {"a missing file", UniqueBstr(AnsiToBstr(folder.In("none.reg").c_str())),
       ERROR_FILE_NOT_FOUND},
      {"a folder", UniqueBstr(AnsiToBstr(folder.path().c_str())), ERROR_ACCESS_DENIED},
      {"no path", UniqueBstr(), ERROR_PATH_NOT_FOUND},
      {"a lone surrogate", UniqueBstr(SysAllocString(OLESTR("x\xd800.reg"))),
       ERROR_NO_UNICODE_TRANSLATION},
  };
  for (const Case& row : cases) {
    // The name above U+00FF is spelled in UTF-8; other code pages read other characters in it.
    if (&row == &cases[0] && GetACP() != CP_UTF8) continue;
    FragmentFile fragment(row.path.get());
    EXPECT_EQ(fragment.OpenError(), row.error) << row.what;
  }
}

TEST(FragmentFileTest, PathInGbk) {
  REQUIRE_CODE_PAGE(936);
  FragmentFolder folder;
  folder.Write("[HKEY_LOCAL_MACHINE\\A]\n", "\xd6\xd0.reg");
  UniqueBstr folder_path(AnsiToBstr(folder.In("").c_str()));
  std::basic_string<OLECHAR> base(folder_path.get(), folder_path.length());
  UniqueBstr chinese(SysAllocString((base + OLESTR("\u4e2d.reg")).c_str()));
  EXPECT_EQ(FragmentFile(chinese.get()).OpenError(), ERROR_SUCCESS);
  UniqueBstr thai(SysAllocString((base + OLESTR("\u0e01.reg")).c_str()));
  EXPECT_EQ(FragmentFile(thai.get()).OpenError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(FragmentFileTest, MissingFragmentImportsNothing) {
  FragmentFolder folder;
  OpenHive policy;
  Import import = ImportFile(folder.In("missing.reg"), policy.root, 0);
  EXPECT_EQ(import.result, S_OK);
  EXPECT_EQ(import.output, "");
  EXPECT_TRUE(Contents(policy.root).empty());
}

// A fragment the profile reader cannot read after it was opened fails the import instead of
// passing for one without sections. Only Linux lets an open fragment be removed; Windows keeps it.
TEST(FragmentFileTest, RemovingAnOpenFragment) {
  FragmentFolder folder;
  std::string path = folder.Write("[HKEY_LOCAL_MACHINE\\A]\n\"V\"=dword:1\n");
  OpenHive policy;
  UniqueBstr wide(AnsiToBstr(path.c_str()));
  FragmentFile fragment(wide.get());
  ASSERT_EQ(fragment.OpenError(), ERROR_SUCCESS);
#ifdef _WIN32
  EXPECT_NE(std::remove(path.c_str()), 0);
  EXPECT_EQ(fragment.ImportSections(policy.root, 0), S_OK);
  EXPECT_EQ(Contents(policy.root).size(), 2u);
#else
  ASSERT_EQ(unlink(path.c_str()), 0);
  EXPECT_EQ(fragment.ImportSections(policy.root, 0), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(Contents(policy.root).empty());
#endif
}

// Writers are kept out while the fragment is open and let in afterwards; a fragment a writer
// holds is refused. On Linux only writers that lock the file (flock) count; on Windows every
// writer does, through the share mode.
TEST(FragmentFileTest, HeldAgainstWritersWhileOpen) {
  FragmentFolder folder;
  std::string path = folder.Write("[HKEY_LOCAL_MACHINE\\A]\n");
  UniqueBstr wide(AnsiToBstr(path.c_str()));
  {
    FragmentFile fragment(wide.get());
    ASSERT_EQ(fragment.OpenError(), ERROR_SUCCESS);
    EXPECT_TRUE(HeldAgainstWriters(path));
  }
  EXPECT_FALSE(HeldAgainstWriters(path));
#ifndef _WIN32
  {  // Linux cannot see a writer that does not lock: its fragment is read as it stands.
    std::ofstream plain_writer(path, std::ios::app);
    EXPECT_EQ(FragmentFile(wide.get()).OpenError(), ERROR_SUCCESS);
  }
#endif
  WriterHold writer(path);
  ASSERT_TRUE(writer.holding());
  EXPECT_EQ(FragmentFile(wide.get()).OpenError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

// A regedit export: UTF-16LE, CRLF, a header line, values of every syntax, lists over several
// lines, a default value, a key with no values, deletions, and sections of both roots.
const char kRegeditExport[] =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Regweave]\r\n"
    "@=\"Default text\"\r\n"
    "\"Path\"=\"C:\\\\Temp\"\r\n"
    "\"Count\"=dword:0000002a\r\n"
    "\"Quota\"=hex(b):00,10,00,00,00,00,00,00\r\n"
    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
    "  17,18,19\r\n"
    "\"Expand\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\r\n"
    "  00,25,00,5c,00,78,00,00,00\r\n"
    "\"Multi\"=hex(7):61,00,00,00,2d,4e,\\\r\n"
    "  e9,00,00,00,00,00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Regweave\\Empty]\r\n"
    "\r\n"
    "[-HKEY_LOCAL_MACHINE\\Software\\Old]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Regweave]\r\n"
    "\"User\"=\"only for the user half\"\r\n"
    "\r\n"
    "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n";

// Every setting of the export reaches the registry (values listed in creation order).
const std::vector<std::string> kRegeditExportContents = {
    "Software",
    "Software\\Regweave",
    "Software\\Regweave||1|44656661756c74207465787400",
    "Software\\Regweave|Path|1|433a5c5c54656d7000",
    "Software\\Regweave|Count|4|2a000000",
    "Software\\Regweave|Quota|11|0010000000000000",
    "Software\\Regweave|Blob|3|000102030405060708090a0b0c0d0e0f10111213141516171819",
    "Software\\Regweave|Expand|2|2553797374656d526f6f74255c7800",
    "Software\\Regweave|Multi|7|6100e4b8adc3a90000",
    "Software\\Regweave\\Empty",
};

TEST(FragmentFileTest, RegeditExportImportsEverySetting) {
  // The multi-string (U+4E2D, U+00E9) is listed as the A functions give it in UTF-8.
  REQUIRE_CODE_PAGE(65001);
  FragmentFolder folder;
  OpenHive policy;
  CreateKey(policy.root, "Software\\Old");
  Import import = ImportFile(folder.Write(Utf16Le(kRegeditExport)), policy.root, 0);
  EXPECT_EQ(import.result, S_OK);
  EXPECT_EQ(import.output, "");
  EXPECT_EQ(AsSet(Contents(policy.root)), AsSet(kRegeditExportContents));
}

#ifndef _WIN32
// Linux only: Registry.pol is written by the Linux platform's group policy object class.

std::string Le32(DWORD value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string Utf16Bytes(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xff);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// One Registry.pol record; string data are given with their terminators.
std::string Record(const std::u16string& key, const std::u16string& name, DWORD type,
                   const std::string& data) {
  return "[" + std::string(1, '\0') + Utf16Bytes(key + u'\0') + Utf16Bytes(u";") +
         Utf16Bytes(name + u'\0') + Utf16Bytes(u";") + Le32(type) + Utf16Bytes(u";") +
         Le32(static_cast<DWORD>(data.size())) + Utf16Bytes(u";") + data + Utf16Bytes(u"]");
}

const std::string kPolHeader("PReg\x01\x00\x00\x00", 8);

std::string ExpectedMachinePol() {
  const std::u16string key = u"Software\\Regweave";
  std::string blob;
  for (int i = 0; i < 26; ++i) blob += static_cast<char>(i);
  return kPolHeader +
         Record(key, u"", REG_SZ, Utf16Bytes(std::u16string(u"Default text") + u'\0')) +
         Record(key, u"Path", REG_SZ, Utf16Bytes(std::u16string(u"C:\\\\Temp") + u'\0')) +
         Record(key, u"Count", REG_DWORD, Le32(42)) +
         Record(key, u"Quota", REG_QWORD, Le32(4096) + Le32(0)) +
         Record(key, u"Blob", REG_BINARY, blob) +
         // The lists' bytes as they stand, their terminators included.
         Record(key, u"Expand", REG_EXPAND_SZ,
                Utf16Bytes(std::u16string(u"%SystemRoot%\\x") + u'\0')) +
         Record(key, u"Multi", REG_MULTI_SZ,
                Utf16Bytes(std::u16string(u"a") + u'\0' + u"\u4e2d\u00e9" + u'\0' + u'\0')) +
         Record(u"Software\\Regweave\\Empty", u"", REG_NONE, "");
}

std::string ExpectedUserPol() {
  return kPolHeader + Record(u"Software\\Regweave", u"User", REG_SZ,
                             Utf16Bytes(std::u16string(u"only for the user half") + u'\0'));
}

// The policy half after importing the export with the given root index, saved as Registry.pol.
std::string ImportExport(const std::string& path, UINT root_index, const char* stale_key) {
  RegistryHive hive;
  HKEY root = hive.OpenRoot();
  CreateKey(root, stale_key);
  Import import = ImportFile(path, root, root_index);
  RegCloseKey(root);
  EXPECT_EQ(import.result, S_OK);
  EXPECT_EQ(import.output, "");
  return hive.Save();
}

TEST(FragmentFileTest, RegeditExportGivesExactRegistryPol) {
  FragmentFolder folder;
  std::string path = folder.Write(Utf16Le(kRegeditExport));
  std::string machine = ImportExport(path, 0, "Software\\Old");
  std::string user = ImportExport(path, 1, "Software\\Gone");
  EXPECT_EQ(machine, ExpectedMachinePol());
  EXPECT_EQ(user, ExpectedUserPol());

  // The codec reads the bytes back to the same settings.
  std::unique_ptr<RegistryHive> loaded;
  ASSERT_EQ(
      RegistryHive::Load(reinterpret_cast<const BYTE*>(machine.data()), machine.size(), &loaded),
      S_OK);
  EXPECT_EQ(loaded->Save(), machine);
  HKEY root = loaded->OpenRoot();
  EXPECT_EQ(Contents(root), kRegeditExportContents);
  RegCloseKey(root);
}

// Samba's own Registry.pol reader decodes what the import saved.
TEST(FragmentFileTest, SambaReadsTheSavedPolicy) {
  if (access("/usr/bin/python3", X_OK) != 0) GTEST_SKIP() << "no /usr/bin/python3";
  FragmentFolder folder;
  std::string pol = folder.path() + "/Registry.pol";
  std::ofstream(pol, std::ios::binary)
      << ImportExport(folder.Write(Utf16Le(kRegeditExport)), 0, "Software\\Old");
  const char* script =
      "import sys\n"
      "try:\n"
      "    from samba.dcerpc import preg\n"
      "    from samba.ndr import ndr_unpack\n"
      "except ImportError:\n"
      "    print('no samba'); sys.exit(0)\n"
      // Entries point into the file object, which must outlive them.
      "pol = ndr_unpack(preg.file, open(sys.argv[1], 'rb').read())\n"
      "for e in pol.entries:\n"
      "    d = e.data.hex() if isinstance(e.data, bytes) else e.data\n"
      "    print('%s|%s|%d|%d|%s' % (e.keyname, e.valuename, e.type, e.size, d))\n";
  std::string command =
      "PYTHONIOENCODING=utf-8 /usr/bin/python3 -c \"" + std::string(script) + "\" '" + pol + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string decoded;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) decoded.append(chunk, n);
  ASSERT_EQ(pclose(pipe), 0);
  if (decoded == "no samba\n") GTEST_SKIP() << "python3-samba is not installed";
  EXPECT_EQ(decoded,
            "Software\\Regweave||1|26|Default text\n"
            "Software\\Regweave|Path|1|18|C:\\\\Temp\n"
            "Software\\Regweave|Count|4|4|42\n"
            "Software\\Regweave|Quota|11|8|4096\n"
            "Software\\Regweave|Blob|3|26|000102030405060708090a0b0c0d0e0f10111213141516171819\n"
            "Software\\Regweave|Expand|2|30|%SystemRoot%\\x\n"
            "Software\\Regweave|Multi|7|12|610000002d4ee90000000000\n"
            "Software\\Regweave\\Empty||0|0|None\n");
}
#endif

std::string Repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

std::string Garbage(size_t size) {
  std::string bytes;
  uint32_t state = 12345;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1103515245 + 12345;
    bytes += static_cast<char>(state >> 16);
    if (i % 997 == 0) bytes += "\n[HKEY_LOCAL_MACHINE\\G";
    if (i % 991 == 0) bytes += "]\n\"V\"=hex:";
  }
  return bytes;
}

// Input that is not a fragment, or an extreme one, never crashes: what can be imported is, and
// every entry that cannot be written is reported.
TEST(FragmentFileTest, BadInputNeverStopsTheImport) {
  std::string sections;
  for (int i = 0; i < 5000; ++i) {
    sections += "[HKEY_LOCAL_MACHINE\\Many\\K" + std::to_string(i) + "]\n\"N\"=dword:1\n";
  }
  struct Case {
    const char* what;
    std::string bytes;
    const char* output;  // null when any output will do
    size_t entries;      // keys and values afterwards; SIZE_MAX when any number will do
  } cases[] = {
      {"binary garbage", Garbage(256 * 1024), nullptr, SIZE_MAX},
      {"NUL bytes", std::string(1024 * 1024, '\0'), "", 0},
#ifdef _WIN32
      // Wine's profile reader passes over a 10 MB line without a word; a "[" line without "]"
      // heads no section.
      {"a 10 MB line",
       "[HKEY_LOCAL_MACHINE\\Big]\n\"B\"=hex:" + Repeated("ff,", 10 * 1024 * 1024 / 3) + "\n", "",
       1},
      {"a 10 MB string",
       "[HKEY_LOCAL_MACHINE\\Big]\n\"S\"=\"" + std::string(10 << 20, 'x') + "\"\n", "", 1},
      {"unterminated quotes and headers",
       "[HKEY_LOCAL_MACHINE\\Open\n\"S\"=\"abc\n\"T\n\"U=dword:1\n", "", 0},
#else
      {"a 10 MB line",
       "[HKEY_LOCAL_MACHINE\\Big]\n\"B\"=hex:" + Repeated("ff,", 10 * 1024 * 1024 / 3) + "\n",
       "Error 223, unable to write value: B\n", 1},
      {"a 10 MB string",
       "[HKEY_LOCAL_MACHINE\\Big]\n\"S\"=\"" + std::string(10 << 20, 'x') + "\"\n",
       "Error 223, unable to write value: S\n", 1},
      {"unterminated quotes and headers",
       "[HKEY_LOCAL_MACHINE\\Open\n\"S\"=\"abc\n\"T\n\"U=dword:1\n",
       "Error 0, unable to parse entry: \"T\n", 3},
#endif
      {"thousands of sections", sections, "", 1 + 2 * 5000},
      {"a section larger than a first read",
       "[HKEY_LOCAL_MACHINE\\Wide]\n" + Repeated("\"Value with a long name\"=dword:1\n", 1) +
           [] {
             std::string lines;
             for (int i = 0; i < 5000; ++i) lines += "\"V" + std::to_string(i) + "\"=dword:2\n";
             return lines;
           }(),
       "", 1 + 5001},
  };
  FragmentFolder folder;
  for (const Case& row : cases) {
    OpenHive policy;
    Import import = ImportFile(folder.Write(row.bytes), policy.root, 0);
    EXPECT_EQ(import.result, S_OK) << row.what;
    if (row.output != nullptr) {
      EXPECT_EQ(import.output, row.output) << row.what;
    }
    if (row.entries != SIZE_MAX) {
      EXPECT_EQ(Contents(policy.root).size(), row.entries) << row.what;
    }
  }
}

// UTF-16 text above U+07FF takes more bytes in UTF-8 than in the file: sections are still whole.
TEST(FragmentFileTest, SectionsLongerThanTheFile) {
  REQUIRE_CODE_PAGE(65001);
  std::string chinese = Repeated("\xe4\xb8\xad", 20000);
  std::string fragment = "[HKEY_LOCAL_MACHINE\\\xe4\xb8\xad]\r\n";
  for (int i = 0; i < 3; ++i) fragment += "\"S" + std::to_string(i) + "\"=\"" + chinese + "\"\r\n";
  FragmentFolder folder;
  OpenHive policy;
  Import import = ImportFile(folder.Write(Utf16Le(fragment)), policy.root, 0);
  EXPECT_EQ(import.output, "");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(policy.root, "\xe4\xb8\xad", 0, KEY_READ, &key), 0);
  for (const char* name : {"S0", "S1", "S2"}) {
    std::vector<BYTE> data(70000);
    auto size = static_cast<DWORD>(data.size());
    ASSERT_EQ(RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size), 0) << name;
    EXPECT_EQ(std::string(data.begin(), data.begin() + size), chinese + '\0') << name;
  }
  RegCloseKey(key);
}

}  // namespace
