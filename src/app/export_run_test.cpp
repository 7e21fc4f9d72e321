#include "export_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/bstr.h"
#include "common/hresult_error.h"
#include "support/fake_group_policy_object.h"
#include "support/registry_root.h"
#include "support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

int lookups = 0;

std::unique_ptr<PolicyObject> FindFakePolicy(BSTR, DirectoryBinder) {
  ++lookups;
  return std::make_unique<PolicyObject>(OLESTR("CN={1},CN=Policies,DC=x"));
}

std::string FileContents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// ASCII text as the file holds it: UTF-16LE behind a byte-order mark.
std::string Utf16File(const std::string& text) {
  std::string bytes = "\xff\xfe";
  for (char c : text) bytes += std::string{c, '\0'};
  return bytes;
}

class ExportRunTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    lookups = 0;
    ASSERT_FALSE(scratch_.path().empty());
    // Names in order, so that every registry enumerates them alike (Wine sorts values by name).
    HKEY root = hive_.Open();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, "Software\\Policies\\T", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const BYTE number[] = {0x2a, 0, 0, 0};
    RegSetValueExA(key, "A", 0, REG_DWORD, number, sizeof number);
    RegSetValueExA(key, "B", 0, REG_SZ, reinterpret_cast<const BYTE*>("on"), 3);
    RegCloseKey(key);
    RegCloseKey(root);
    fake_.key = hive_.Open();
  }
  void TearDown() override {
    // A run that was handed the key has closed it; on Windows its handle value may since belong
    // to something else, such as standard output after a capture.
    if (fake_.calls.size() < 2) RegCloseKey(fake_.key);
    CoUninitialize();
  }

  HRESULT Run(const fs::path& path) {
    UniqueBstr target(SysAllocString(OLESTR("Kiosk")));
    UniqueBstr file(AnsiToBstr(path.string().c_str()));
    testing::internal::CaptureStdout();
    HRESULT result = S_OK;
    try {
      ExportPolicy(target.get(), file.get(), PolicyScope::Machine, &FindFakePolicy);
    } catch (const HresultError& error) {
      result = error.value;
    }
    output_ = testing::internal::GetCapturedStdout();
    return result;
  }

  ScratchFolder scratch_;
  ScratchRegistryRoot hive_;
  FakeGroupPolicyObject fake_;
  std::string output_;
};

const char kExported[] =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Policies]\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Policies\\T]\r\n"
    "\"A\"=dword:0000002a\r\n"
    "\"B\"=\"on\"\r\n\r\n";

TEST_F(ExportRunTest, WritesTheHalfToANewFileAndNeverSaves) {
  fs::path path = fs::path(scratch_.path()) / "policy.reg";
  EXPECT_EQ(Run(path), S_OK);
  EXPECT_EQ(FileContents(path), Utf16File(kExported));
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{"OpenDSGPO LDAP://CN={1},CN=Policies,DC=x 1",
                                                   "GetRegistryKey 2"}));
  EXPECT_EQ(output_, "");
  EXPECT_EQ(fake_.references, 0);
}

TEST_F(ExportRunTest, LeavesNoFileAndTouchesNothingWhenTheFileCannotBeMade) {
  fs::path taken = fs::path(scratch_.path()) / "taken.reg";
  std::ofstream(taken) << "kept";
  struct Row {
    fs::path path;
    HRESULT raised;
  } rows[] = {
      {taken, HRESULT(0x80070050)},
      {fs::path(scratch_.path()) / "missing" / "policy.reg", HRESULT(0x80070003)},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Run(row.path), row.raised) << row.path;
  }
  EXPECT_EQ(FileContents(taken), "kept");
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch_.path()), fs::directory_iterator()), 1);
  EXPECT_EQ(lookups, 0);
}

TEST_F(ExportRunTest, AValueTheImportCouldNotReadBackFailsTheRunAfterTheRest) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(fake_.key, "Software\\Policies\\T", 0, KEY_ALL_ACCESS, &key), 0);
  RegSetValueExA(key, "C=D", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
  RegCloseKey(key);
  fs::path path = fs::path(scratch_.path()) / "policy.reg";
  EXPECT_EQ(Run(path), HRESULT(0x8007007B));
  EXPECT_EQ(output_, "Error 123, unable to export value: C=D\n");
  EXPECT_EQ(FileContents(path), Utf16File(kExported));
}

}  // namespace
