// The group policy object class against the throwaway domain: policies made by samba-tool are
// opened, changed through GetRegistryKey and saved, then read back with Samba's own tools
// (samba_sysvol.py beside this file, ldapsearch). Runs inside the domain (tests/domain/exec),
// as root, since a refused write is provoked on the domain controller's file system.
#include <gpedit.h>
#include <windows.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gpo/policy_store.h"

namespace {

const std::string kSambaSysvol = REGWEAVE_DOMAIN_DIR "/samba_sysvol.py";
const std::string kDomainDir = REGWEAVE_DOMAIN_DIR;

#define REGISTRY_PAIR \
  "[{35378EAC-683F-11D2-A89A-00C04FBBCFA2}{0F6B957E-509E-11D1-A7CC-0000F87571E3}]"

struct CommandResult {
  int status;
  std::string output;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a shell command with input on its standard input; returns its exit status and output.
CommandResult RunCommand(const std::string& command, const std::string& input = "") {
  char input_path[] = "/tmp/gpo-domain-test-XXXXXX";
  int fd = mkstemp(input_path);
  if (fd < 0) return {-1, "mkstemp failed"};
  if (!input.empty() && write(fd, input.data(), input.size()) != ssize_t(input.size())) {
    close(fd);
    return {-1, "writing the input failed"};
  }
  close(fd);
  CommandResult result{-1, ""};
  if (FILE* pipe = popen((command + " <" + input_path + " 2>/dev/null").c_str(), "r")) {
    char chunk[4096];
    for (size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
      result.output.append(chunk, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  unlink(input_path);
  return result;
}

// The output of a command that must succeed.
std::string Output(const std::string& command, const std::string& input = "") {
  CommandResult result = RunCommand(command, input);
  EXPECT_EQ(result.status, 0) << command;
  return result.output;
}

std::string DomainSetting(const std::string& name) {
  std::string text = Output("bash -c " + Quoted("source " + Quoted(kDomainDir + "/settings") +
                                                " && printf %s \"$" + name + "\""));
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::u16string Utf16(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

// One policy made with samba-tool for a test.
struct Policy {
  std::string guid;

  static Policy Create(const std::string& name) {
    std::string answer = Output("samba-tool gpo create " + Quoted(name) + " -H ldap://" +
                                DomainSetting("domain_dc") + " --use-kerberos=required");
    std::smatch guid;
    EXPECT_TRUE(std::regex_search(answer, guid, std::regex(R"(\{[0-9A-Fa-f-]{36}\})"))) << answer;
    return Policy{guid.empty() ? std::string() : guid.str()};
  }

  std::string Dn() const {
    return "CN=" + guid + ",CN=Policies,CN=System," + DomainSetting("domain_base_dn");
  }
  // The folder's path inside the sysvol share.
  std::string Folder() const { return DomainSetting("domain_dns") + "/Policies/" + guid; }
  // The folder on the domain controller's own file system.
  std::string LocalFolder() const { return DomainSetting("domain_sysvol") + "/" + Folder(); }

  std::string Get(const std::string& file) const {
    return Output(kSambaSysvol + " get " + Quoted(Folder() + "/" + file));
  }
  void Put(const std::string& file, const std::string& bytes) const {
    Output(kSambaSysvol + " put " + Quoted(Folder() + "/" + file), bytes);
  }
  std::vector<std::string> PolEntries(const std::string& half) const {
    return Lines(
        Output(kSambaSysvol + " pol-dump " + Quoted(Folder() + "/" + half + "/Registry.pol")));
  }
  void WritePolEntries(const std::string& half, const std::string& entries) const {
    Output(kSambaSysvol + " pol-write " + Quoted(Folder() + "/" + half + "/Registry.pol"), entries);
  }

  std::string Attribute(const std::string& name) const {
    std::string ldif =
        Output("ldapsearch -Q -LLL -o ldif-wrap=no -b " + Quoted(Dn()) + " -s base " + name);
    std::smatch value;
    std::regex line("(^|\n)" + name + ": ([^\n]*)");
    return std::regex_search(ldif, value, line) ? value[2].str() : std::string();
  }
  void SetAttribute(const std::string& name, const std::string& value) const {
    Output("ldapmodify -Q", "dn: " + Dn() + "\nchangetype: modify\nreplace: " + name + "\n" + name +
                                ": " + value + "\n");
  }
  DWORD VersionNumber() const { return static_cast<DWORD>(std::stol(Attribute("versionNumber"))); }
  DWORD GptVersion() const {
    std::smatch value;
    std::string text = Get("GPT.INI");
    if (!std::regex_search(text, value, std::regex(R"(Version=(\d+))"))) return 0xFFFFFFFF;
    return static_cast<DWORD>(std::stoul(value[1].str()));
  }
};

// An opened object, released at the end of the test.
class OpenedPolicy {
 public:
  explicit OpenedPolicy(const std::u16string& path, DWORD flags = GPO_OPEN_LOAD_REGISTRY) {
    create_result_ = CoCreateInstance(CLSID_GroupPolicyObject, nullptr, CLSCTX_ALL,
                                      IID_IGroupPolicyObject, reinterpret_cast<void**>(&gpo_));
    if (SUCCEEDED(create_result_)) {
      std::u16string text = path;
      open_result_ = gpo_->OpenDSGPO(text.data(), flags);
    }
  }
  ~OpenedPolicy() {
    if (gpo_ != nullptr) gpo_->Release();
  }
  HRESULT open_result() const { return FAILED(create_result_) ? create_result_ : open_result_; }
  IGroupPolicyObject* operator->() const { return gpo_; }

  HRESULT Save(bool machine, bool add = true) {
    GUID extension = REGISTRY_EXTENSION_GUID;
    GUID tool = {0x0f6b957e, 0x509e, 0x11d1, {0xa7, 0xcc, 0x00, 0x00, 0xf8, 0x75, 0x71, 0xe3}};
    return gpo_->Save(machine, add, &extension, &tool);
  }
  // Sets a value below the half's root; a test of the save, not of the registry functions.
  void SetValue(DWORD section, const char* key_path, const char* name, DWORD type,
                const std::string& data) {
    HKEY root = nullptr;
    ASSERT_EQ(gpo_->GetRegistryKey(section, &root), S_OK);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key_path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
    RegCloseKey(root);
  }

 private:
  IGroupPolicyObject* gpo_ = nullptr;
  HRESULT create_result_ = E_FAIL;
  HRESULT open_result_ = E_FAIL;
};

std::u16string AdsPath(const Policy& policy, bool with_server = false) {
  std::string server = with_server ? DomainSetting("domain_dc") + "/" : "";
  return Utf16("LDAP://" + server + policy.Dn());
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string text;
  for (int b : bytes) text += static_cast<char>(b);
  return text;
}

class GroupPolicyObjectDomainTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
  void TearDown() override { CoUninitialize(); }

  static std::string UniqueName(const char* what) {
    static int counter = 0;
    return std::string("gpo-test ") + what + " " + std::to_string(getpid()) + "-" +
           std::to_string(++counter);
  }
};

TEST_F(GroupPolicyObjectDomainTest, OpensANewPolicyWithEmptyHalves) {
  Policy policy = Policy::Create(UniqueName("open"));
  for (bool with_server : {false, true}) {
    OpenedPolicy opened(AdsPath(policy, with_server));
    ASSERT_EQ(opened.open_result(), S_OK) << "with server " << with_server;
    for (DWORD section : {GPO_SECTION_MACHINE, GPO_SECTION_USER}) {
      HKEY root = nullptr;
      ASSERT_EQ(opened->GetRegistryKey(section, &root), S_OK) << section;
      char name[64];
      DWORD length = sizeof name;
      EXPECT_EQ(RegEnumKeyExA(root, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
                ERROR_NO_MORE_ITEMS)
          << section;
      RegCloseKey(root);
    }
  }
  OpenedPolicy without_registry(AdsPath(policy), 0);
  ASSERT_EQ(without_registry.open_result(), S_OK);
  HKEY root = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(without_registry->GetRegistryKey(GPO_SECTION_MACHINE, &root), E_FAIL);
  EXPECT_EQ(root, nullptr);
}

TEST_F(GroupPolicyObjectDomainTest, OpenFailures) {
  Policy policy = Policy::Create(UniqueName("open failures"));
  struct Row {
    const char* name;
    std::u16string path;
    HRESULT expected;
  };
  const Row rows[] = {
      {"no such object",
       Utf16("LDAP://CN={00000000-0000-0000-0000-000000000000},CN=Policies,"
             "CN=System," +
             DomainSetting("domain_base_dn")),
       static_cast<HRESULT>(0x80072030)},
      {"not a policy", Utf16("LDAP://CN=Policies,CN=System," + DomainSetting("domain_base_dn")),
       static_cast<HRESULT>(0x8000500D)},
      {"root DSE", u"LDAP://rootDSE", static_cast<HRESULT>(0x80005000)},
      {"not an ADSI path", Utf16(policy.Dn()), static_cast<HRESULT>(0x80005000)},
  };
  for (const Row& row : rows) {
    OpenedPolicy opened(row.path);
    EXPECT_EQ(opened.open_result(), row.expected) << row.name;
  }
}

TEST_F(GroupPolicyObjectDomainTest, SavedValuesComeBackThroughSambasReader) {
  Policy policy = Policy::Create(UniqueName("values"));
  OpenedPolicy opened(AdsPath(policy));
  ASSERT_EQ(opened.open_result(), S_OK);
  const char* key = "Software\\Policies\\Regweave";
  opened.SetValue(GPO_SECTION_MACHINE, key, "Text", REG_SZ, std::string("caf\xC3\xA9", 6));
  opened.SetValue(GPO_SECTION_MACHINE, key, "Path", REG_EXPAND_SZ, std::string("%TEMP%\\x", 9));
  opened.SetValue(GPO_SECTION_MACHINE, key, "Number", REG_DWORD, Bytes({0x78, 0x56, 0x34, 0x12}));
  opened.SetValue(GPO_SECTION_MACHINE, key, "Big", REG_QWORD, Bytes({1, 0, 0, 0, 0, 0, 0, 0x80}));
  opened.SetValue(GPO_SECTION_MACHINE, key, "Blob", REG_BINARY, Bytes({0, 0xFF, 0x10}));
  opened.SetValue(GPO_SECTION_MACHINE, key, "List", REG_MULTI_SZ, std::string("a\0bc\0\0", 6));
  opened.SetValue(GPO_SECTION_MACHINE, "Software\\Policies\\Regweave\\Empty", "", REG_SZ,
                  std::string("", 1));
  ASSERT_EQ(opened.Save(true), S_OK);

  const std::vector<std::string> expected = {
      "Software\\Policies\\Regweave\tText\t1\tcaf\xC3\xA9",
      "Software\\Policies\\Regweave\tPath\t2\t%TEMP%\\x",
      "Software\\Policies\\Regweave\tNumber\t4\t305419896",
      "Software\\Policies\\Regweave\tBig\t11\t9223372036854775809",
      "Software\\Policies\\Regweave\tBlob\t3\t00ff10",
      "Software\\Policies\\Regweave\tList\t7\t610000006200630000000000",
      "Software\\Policies\\Regweave\\Empty\t\t1\t",
  };
  EXPECT_EQ(policy.PolEntries("Machine"), expected);
  EXPECT_EQ(
      RunCommand(kSambaSysvol + " get " + Quoted(policy.Folder() + "/User/Registry.pol")).status, 1)
      << "the user half was not saved, so it has no file";
}

// Files larger than one read request (64 KiB) come back whole, exactly at the boundary too.
TEST_F(GroupPolicyObjectDomainTest, LargeFilesReadBackWhole) {
  Policy policy = Policy::Create(UniqueName("large"));
  // The header is 8 bytes; a record of key "Software\\R", a one-letter value name and
  // REG_BINARY data is 46 bytes beside its data, which holds at most 65,535 bytes.
  const std::vector<size_t> rows[] = {{65536 - 8 - 46}, {50000, 50000, 50000}};
  for (const std::vector<size_t>& sizes : rows) {
    std::vector<std::string> values;
    size_t file_size = 8;
    {
      OpenedPolicy writer(AdsPath(policy));
      ASSERT_EQ(writer.open_result(), S_OK);
      for (size_t size : sizes) {
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 7 + values.size());
        std::string name(1, static_cast<char>('A' + values.size()));
        writer.SetValue(GPO_SECTION_USER, "Software\\R", name.c_str(), REG_BINARY, data);
        values.push_back(data);
        file_size += 46 + size;
      }
      ASSERT_EQ(writer.Save(false), S_OK);
    }
    ASSERT_EQ(policy.Get("User/Registry.pol").size(), file_size);
    OpenedPolicy reader(AdsPath(policy));
    ASSERT_EQ(reader.open_result(), S_OK) << file_size;
    HKEY root = nullptr;
    ASSERT_EQ(reader->GetRegistryKey(GPO_SECTION_USER, &root), S_OK);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root, "Software\\R", 0, KEY_READ, &key), ERROR_SUCCESS);
    for (size_t i = 0; i < values.size(); ++i) {
      std::string read_back(65536, '\0');
      DWORD size = static_cast<DWORD>(read_back.size());
      std::string name(1, static_cast<char>('A' + i));
      EXPECT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(read_back.data()), &size),
                ERROR_SUCCESS);
      read_back.resize(size);
      EXPECT_TRUE(read_back == values[i]) << "file of " << file_size << ", value " << name;
    }
    RegCloseKey(key);
    RegCloseKey(root);
  }
}

TEST_F(GroupPolicyObjectDomainTest, VersionsRiseInTheSavedHalfAndStayEqual) {
  Policy policy = Policy::Create(UniqueName("versions"));
  OpenedPolicy opened(AdsPath(policy));
  ASSERT_EQ(opened.open_result(), S_OK);
  struct Row {
    bool machine;
    DWORD expected;
  };
  const Row rows[] = {
      {true, 0x00000001}, {false, 0x00010001}, {true, 0x00010002}, {false, 0x00020002}};
  for (const Row& row : rows) {
    ASSERT_EQ(opened.Save(row.machine), S_OK);
    EXPECT_EQ(policy.VersionNumber(), row.expected) << std::hex << row.expected;
    EXPECT_EQ(policy.GptVersion(), row.expected) << std::hex << row.expected;
  }
}

TEST_F(GroupPolicyObjectDomainTest, VersionRisesPastTheLargerValueAndOtherLinesStay) {
  Policy policy = Policy::Create(UniqueName("gpt"));
  policy.Put("GPT.INI", "[General]\r\ndisplayName=Kept\r\nVersion=196613\r\n; note\r\n");
  policy.SetAttribute("versionNumber", "65544");  // user 1, machine 8; GPT.INI: user 3, machine 5
  OpenedPolicy opened(AdsPath(policy));
  ASSERT_EQ(opened.open_result(), S_OK);
  ASSERT_EQ(opened.Save(true), S_OK);
  EXPECT_EQ(policy.VersionNumber(), 0x00030009u);
  EXPECT_EQ(policy.Get("GPT.INI"), "[General]\r\ndisplayName=Kept\r\nVersion=196617\r\n; note\r\n");
}

TEST_F(GroupPolicyObjectDomainTest, ExtensionNamesKeepEarlierGroupsInOrder) {
  Policy policy = Policy::Create(UniqueName("extensions"));
  const std::string early =
      "[{00000001-0000-0000-0000-000000000000}{00000000-0000-0000-0000-000000000000}]";
  const std::string late =
      "[{827D319E-6EAC-11D2-A4EA-00C04F79F83A}{803E14A0-B4FB-11D0-A0D0-00A0C90F574B}]";
  policy.SetAttribute("gPCMachineExtensionNames", late + early);
  // The spelling Samba's own writer uses, lower-case and without a tool.
  policy.SetAttribute("gPCUserExtensionNames", "[{35378eac-683f-11d2-a89a-00c04fbbcfa2}]");
  OpenedPolicy opened(AdsPath(policy));
  ASSERT_EQ(opened.open_result(), S_OK);
  ASSERT_EQ(opened.Save(true), S_OK);
  ASSERT_EQ(opened.Save(false), S_OK);
  EXPECT_EQ(policy.Attribute("gPCMachineExtensionNames"), early + REGISTRY_PAIR + late);
  EXPECT_EQ(policy.Attribute("gPCUserExtensionNames"), REGISTRY_PAIR);

  ASSERT_EQ(opened.Save(true, false), S_OK);
  EXPECT_EQ(policy.Attribute("gPCMachineExtensionNames"), early + late);
}

TEST_F(GroupPolicyObjectDomainTest, EntriesWrittenBySambaSurviveASave) {
  Policy policy = Policy::Create(UniqueName("existing"));
  policy.WritePolEntries("User",
                         "Software\\Policies\\Regweave\\Existing\tZeta\t1\tfirst\n"
                         "Software\\Policies\\Regweave\\Existing\tAlpha\t4\t7\n"
                         "Software\\Policies\\Regweave\\Existing\t**delvals.\t1\t \n");
  OpenedPolicy opened(AdsPath(policy));
  ASSERT_EQ(opened.open_result(), S_OK);
  opened.SetValue(GPO_SECTION_USER, "Software\\Policies\\Regweave\\New", "Added", REG_SZ,
                  std::string("yes", 4));
  ASSERT_EQ(opened.Save(false), S_OK);
  const std::vector<std::string> expected = {
      "Software\\Policies\\Regweave\\Existing\tZeta\t1\tfirst",
      "Software\\Policies\\Regweave\\Existing\tAlpha\t4\t7",
      "Software\\Policies\\Regweave\\Existing\t**delvals.\t1\t ",
      "Software\\Policies\\Regweave\\New\tAdded\t1\tyes",
  };
  EXPECT_EQ(policy.PolEntries("User"), expected);
}

TEST_F(GroupPolicyObjectDomainTest, UpperCaseFoldersAreUsed) {
  Policy policy = Policy::Create(UniqueName("upper case"));
  Output("mv " + Quoted(policy.LocalFolder() + "/Machine") + " " +
         Quoted(policy.LocalFolder() + "/MACHINE"));
  policy.WritePolEntries("MACHINE", "Software\\Policies\\Regweave\tOld\t4\t1\n");
  OpenedPolicy opened(AdsPath(policy));
  ASSERT_EQ(opened.open_result(), S_OK);
  opened.SetValue(GPO_SECTION_MACHINE, "Software\\Policies\\Regweave", "New", REG_DWORD,
                  Bytes({2, 0, 0, 0}));
  ASSERT_EQ(opened.Save(true), S_OK);
  EXPECT_EQ(Output("ls " + Quoted(policy.LocalFolder())), "GPT.INI\nMACHINE\nUser\n");
  EXPECT_EQ(Output("ls " + Quoted(policy.LocalFolder() + "/MACHINE")), "Registry.pol\n");
  EXPECT_EQ(policy.PolEntries("MACHINE").size(), 2u);
}

TEST_F(GroupPolicyObjectDomainTest, MalformedRegistryPolFailsTheOpenAndStaysAsItWas) {
  Policy policy = Policy::Create(UniqueName("malformed"));
  const std::string rows[] = {
      "not a policy file",
      Bytes({'P', 'R', 'e', 'g', 1, 0, 0, 0, '[', 0, 'x'}),
      Bytes({'P', 'R', 'e', 'g', 2, 0, 0, 0}),
  };
  for (const std::string& bytes : rows) {
    policy.Put("User/Registry.pol", bytes);
    OpenedPolicy opened(AdsPath(policy));
    EXPECT_EQ(opened.open_result(), HRESULT_FROM_WIN32(ERROR_INVALID_DATA)) << bytes;
    EXPECT_EQ(policy.Get("User/Registry.pol"), bytes);
  }
}

// Other tools do not take the hold: what they write to the container between the open and the
// save is merged into, not overwritten.
TEST_F(GroupPolicyObjectDomainTest, SaveStartsFromWhatTheDirectoryHoldsThen) {
  Policy policy = Policy::Create(UniqueName("changed meanwhile"));
  OpenedPolicy opened(AdsPath(policy));
  ASSERT_EQ(opened.open_result(), S_OK);
  opened.SetValue(GPO_SECTION_MACHINE, "Software\\Policies\\Regweave", "V", REG_DWORD,
                  Bytes({1, 0, 0, 0}));
  const std::string security_settings =
      "[{827D319E-6EAC-11D2-A4EA-00C04F79F83A}{803E14A0-B4FB-11D0-A0D0-00A0C90F574B}]";
  policy.SetAttribute("gPCMachineExtensionNames", security_settings);
  policy.SetAttribute("versionNumber", "5");
  ASSERT_EQ(opened.Save(true), S_OK);
  EXPECT_EQ(policy.Attribute("gPCMachineExtensionNames"),
            "[{35378EAC-683F-11D2-A89A-00C04FBBCFA2}{0F6B957E-509E-11D1-A7CC-0000F87571E3}]" +
                security_settings);
  EXPECT_EQ(policy.VersionNumber(), 6u);
  EXPECT_EQ(policy.GptVersion(), 6u);
}

// A client applying the policy may have Registry.pol open without sharing its deletion; a save
// waits for it to let go instead of failing at once.
TEST_F(GroupPolicyObjectDomainTest, SaveWaitsForABriefReaderOfRegistryPol) {
  Policy policy = Policy::Create(UniqueName("brief reader"));
  policy.WritePolEntries("Machine", "Software\\Policies\\Regweave\tOld\t4\t1\n");
  OpenedPolicy opened(AdsPath(policy));
  ASSERT_EQ(opened.open_result(), S_OK);
  opened.SetValue(GPO_SECTION_MACHINE, "Software\\Policies\\Regweave", "New", REG_DWORD,
                  Bytes({2, 0, 0, 0}));
  const std::string hold =
      kSambaSysvol + " hold " + Quoted(policy.Folder() + "/Machine/Registry.pol") + " 0.5";
  FILE* reader = popen(hold.c_str(), "r");
  ASSERT_NE(reader, nullptr);
  char line[16] = "";
  ASSERT_NE(std::fgets(line, sizeof line, reader), nullptr);
  ASSERT_STREQ(line, "held\n");
  EXPECT_EQ(opened.Save(true), S_OK);
  EXPECT_EQ(pclose(reader), 0);
  EXPECT_EQ(policy.PolEntries("Machine").size(), 2u);
}

// A save that dies between moving the old Registry.pol aside and moving the new one in leaves
// only the copy set aside; the next open reads it in the file's place, so no setting is lost, and
// its save removes it. Two such copies leave it unclear which one is the policy.
TEST_F(GroupPolicyObjectDomainTest, RegistryPolSetAsideByADeadSaveIsRecovered) {
  Policy policy = Policy::Create(UniqueName("set aside"));
  policy.WritePolEntries("Machine", "Software\\Policies\\Regweave\tOld\t4\t1\n");
  const std::string machine = policy.LocalFolder() + "/Machine";
  Output("mv " + Quoted(machine + "/Registry.pol") + " " +
         Quoted(machine + "/Registry.pol.4d2a0001.old"));
  // Someone's own copy: not of the form a save gives, so neither read nor removed.
  Output("cp -a " + Quoted(machine + "/Registry.pol.4d2a0001.old") + " " +
         Quoted(machine + "/Registry.pol.backup.old"));
  {
    OpenedPolicy opened(AdsPath(policy));
    ASSERT_EQ(opened.open_result(), S_OK);
    opened.SetValue(GPO_SECTION_MACHINE, "Software\\Policies\\Regweave", "New", REG_DWORD,
                    Bytes({2, 0, 0, 0}));
    ASSERT_EQ(opened.Save(true), S_OK);
  }
  EXPECT_EQ(policy.PolEntries("Machine").size(), 2u);
  EXPECT_EQ(Output("ls " + Quoted(machine)), "Registry.pol\nRegistry.pol.backup.old\n");

  Output("cp -a " + Quoted(machine + "/Registry.pol") + " " +
         Quoted(machine + "/Registry.pol.1.old"));
  Output("mv " + Quoted(machine + "/Registry.pol") + " " + Quoted(machine + "/Registry.pol.2.old"));
  OpenedPolicy ambiguous(AdsPath(policy));
  EXPECT_EQ(ambiguous.open_result(), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  EXPECT_EQ(Output("ls " + Quoted(machine)),
            "Registry.pol.1.old\nRegistry.pol.2.old\nRegistry.pol.backup.old\n");
}

// Holding a policy needs its GPT.INI, so a missing one is created; a run that then saves nothing
// takes it away again, one that saves leaves it holding the version.
TEST_F(GroupPolicyObjectDomainTest, PolicyWithoutGptIni) {
  Policy policy = Policy::Create(UniqueName("no GPT.INI"));
  const std::string gpt_ini = policy.LocalFolder() + "/GPT.INI";
  Output("rm " + Quoted(gpt_ini));
  {
    policy.Put("User/Registry.pol", "not a policy file");
    OpenedPolicy opened(AdsPath(policy));
    EXPECT_EQ(opened.open_result(), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  }
  EXPECT_NE(access(gpt_ini.c_str(), F_OK), 0) << "a failed open left GPT.INI behind";
  Output("rm " + Quoted(policy.LocalFolder() + "/User/Registry.pol"));
  {
    OpenedPolicy opened(AdsPath(policy));
    ASSERT_EQ(opened.open_result(), S_OK);
  }
  EXPECT_NE(access(gpt_ini.c_str(), F_OK), 0) << "an open without a save left GPT.INI behind";
  {
    OpenedPolicy opened(AdsPath(policy));
    ASSERT_EQ(opened.open_result(), S_OK);
    opened.SetValue(GPO_SECTION_MACHINE, "Software\\Policies\\Regweave", "V", REG_DWORD,
                    Bytes({1, 0, 0, 0}));
    ASSERT_EQ(opened.Save(true), S_OK);
  }
  EXPECT_EQ(policy.GptVersion(), 1u);
  EXPECT_EQ(policy.VersionNumber(), 1u);
}

TEST_F(GroupPolicyObjectDomainTest, RefusedWriteLeavesEverythingAsItWas) {
  Policy policy = Policy::Create(UniqueName("refused"));
  policy.WritePolEntries("Machine", "Software\\Policies\\Regweave\tKept\t4\t1\n");
  const std::string machine = policy.LocalFolder() + "/Machine";
  struct Row {
    const char* name;
    std::string locked;  // made immutable, so not even root may change it
  };
  const Row rows[] = {
      {"folder refuses new files", machine},
      {"file refuses to be replaced", machine + "/Registry.pol"},
  };
  for (const Row& row : rows) {
    const std::string before = policy.Get("Machine/Registry.pol");
    const std::string gpt_before = policy.Get("GPT.INI");
    const DWORD version_before = policy.VersionNumber();
    OpenedPolicy opened(AdsPath(policy));
    ASSERT_EQ(opened.open_result(), S_OK) << row.name;
    opened.SetValue(GPO_SECTION_MACHINE, "Software\\Policies\\Regweave", "Lost", REG_DWORD,
                    Bytes({9, 0, 0, 0}));
    Output("chattr +i " + Quoted(row.locked));
    HRESULT saved = opened.Save(true);
    Output("chattr -i " + Quoted(row.locked));
    EXPECT_EQ(saved, E_ACCESSDENIED) << row.name;
    EXPECT_EQ(policy.Get("Machine/Registry.pol"), before) << row.name;
    EXPECT_EQ(Output("ls " + Quoted(machine)), "Registry.pol\n") << row.name << ": leftovers";
    EXPECT_EQ(policy.Get("GPT.INI"), gpt_before) << row.name;
    EXPECT_EQ(policy.VersionNumber(), version_before) << row.name;
    EXPECT_EQ(policy.Attribute("gPCMachineExtensionNames"), "") << row.name;
  }
}

TEST_F(GroupPolicyObjectDomainTest, ReadOnlyOpenRefusesTheSave) {
  Policy policy = Policy::Create(UniqueName("read only"));
  OpenedPolicy opened(AdsPath(policy), GPO_OPEN_LOAD_REGISTRY | GPO_OPEN_READ_ONLY);
  ASSERT_EQ(opened.open_result(), S_OK);
  EXPECT_EQ(opened.Save(true), E_ACCESSDENIED);
  EXPECT_EQ(policy.VersionNumber(), 0u);
}

TEST_F(GroupPolicyObjectDomainTest, SambaToolStillReadsTheSavedPolicy) {
  Policy policy = Policy::Create(UniqueName("samba-tool"));
  OpenedPolicy opened(AdsPath(policy));
  ASSERT_EQ(opened.open_result(), S_OK);
  opened.SetValue(GPO_SECTION_USER, "Software\\Policies\\Regweave", "Shown", REG_SZ,
                  std::string("1", 2));
  ASSERT_EQ(opened.Save(false), S_OK);
  ASSERT_EQ(opened.Save(true), S_OK);
  const std::string server =
      " -H ldap://" + DomainSetting("domain_dc") + " --use-kerberos=required";
  EXPECT_NE(Output("samba-tool gpo listall" + server).find(policy.guid), std::string::npos);
  std::string shown = Output("samba-tool gpo show " + policy.guid + server);
  EXPECT_TRUE(std::regex_search(shown, std::regex(R"(\nversion\s*:\s*65537\n)"))) << shown;
}

// A writer holds the policy from its open until it goes: another writer waits and, when the
// holder outlasts its wait, fails with the sharing violation; readers and the holder's own
// reopen are not kept out; once the holder has gone the next writer opens and finds its save.
TEST_F(GroupPolicyObjectDomainTest, AHeldPolicyKeepsOtherWritersOut) {
  Policy policy = Policy::Create(UniqueName("held"));
  const RetrySchedule short_wait(std::chrono::milliseconds(10), std::chrono::milliseconds(40),
                                 std::chrono::milliseconds(150));
  const std::u16string path = AdsPath(policy);
  std::unique_ptr<PolicyStore> other;
  {
    OpenedPolicy holder(path);
    ASSERT_EQ(holder.open_result(), S_OK);
    ASSERT_EQ(holder->OpenDSGPO(std::u16string(path).data(), GPO_OPEN_LOAD_REGISTRY), S_OK)
        << "reopening the policy it holds";
    holder.SetValue(GPO_SECTION_MACHINE, "Software\\Policies\\Regweave", "Holder", REG_DWORD,
                    Bytes({1, 0, 0, 0}));
    EXPECT_EQ(PolicyStore::Open(path.c_str(), true, true, short_wait, &other),
              HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(other, nullptr);
    OpenedPolicy reader(path, GPO_OPEN_LOAD_REGISTRY | GPO_OPEN_READ_ONLY);
    EXPECT_EQ(reader.open_result(), S_OK);
    ASSERT_EQ(holder.Save(true), S_OK);
    EXPECT_EQ(policy.GptVersion(), 1u) << "rewritten through the held handle";
  }
  ASSERT_EQ(PolicyStore::Open(path.c_str(), true, true, short_wait, &other), S_OK);
  HKEY root = nullptr;
  ASSERT_EQ(other->OpenRegistryRoot(true, &root), S_OK);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(root, "Software\\Policies\\Regweave", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(
      RegQueryValueExA(key, "Holder", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);
  RegCloseKey(key);
  RegCloseKey(root);
  EXPECT_EQ(policy.VersionNumber(), 1u);
}

}  // namespace
