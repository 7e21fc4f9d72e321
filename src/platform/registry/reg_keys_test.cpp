// RegCreateKeyExA, RegOpenKeyExA, RegDeleteKeyA, RegEnumKeyExA and RegCloseKey.
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/registry_test_support.h"
#include "support/test_locale.h"

namespace {

using Names = std::vector<std::string>;

class RegKeysTest : public HiveTest {};

TEST_F(RegKeysTest, CreateFollowsPathRules) {
  const std::string longest(255, 'k');
  struct Row {
    std::string path;
    LSTATUS status;
    Names keys_below_root;  // afterwards, as "A\B" lists
  };
  const Row rows[] = {
      {"Software\\Policies", ERROR_SUCCESS, {"Software"}},
      {"Software\\Policies\\\\", ERROR_SUCCESS, {"Software"}},
      {"", ERROR_SUCCESS, {}},
      {longest, ERROR_SUCCESS, {longest}},
      {"\\Software", ERROR_BAD_PATHNAME, {}},
      {"Software\\\\Policies", ERROR_SUCCESS, {"Software"}},
      {"Software\\" + longest + "k", ERROR_INVALID_PARAMETER, {}},
      {"Software\\\xd6\xd0", ERROR_NO_UNICODE_TRANSLATION, {}},  // GBK bytes in UTF-8
  };
  for (const Row& row : rows) {
    RegistryHive hive;
    HKEY root = hive.OpenRoot();
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegCreateKeyExA(root, row.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              row.status)
        << row.path;
    EXPECT_EQ(key != nullptr, row.status == ERROR_SUCCESS) << row.path;
    EXPECT_EQ(SubkeyNames(root), row.keys_below_root) << row.path;
    RegCloseKey(key);
    RegCloseKey(root);
  }
  HKEY policies = CreateKey(root_, "Software\\Policies");
  EXPECT_EQ(SubkeyNames(policies), Names{}) << "a trailing backslash names no empty key";
  RegCloseKey(policies);
}

TEST_F(RegKeysTest, DepthStopsAt512Levels) {
  std::string path = "k";
  for (int level = 2; level <= 512; ++level) path += "\\k";
  HKEY deepest = CreateKey(root_, path.c_str());
  ASSERT_NE(deepest, nullptr);
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(deepest, "one more", 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(
      RegCreateKeyExA(root_, (path + "\\k").c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr),
      ERROR_INVALID_PARAMETER);
  RegCloseKey(deepest);
}

TEST_F(RegKeysTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
  struct Row {
    const char* path;
    DWORD disposition;
  };
  const Row rows[] = {
      {"Software\\Policies", REG_CREATED_NEW_KEY},
      {"SOFTWARE\\policies", REG_OPENED_EXISTING_KEY},
      {"software\\POLICIES\\New", REG_CREATED_NEW_KEY},
      {"\xc3\x84rger", REG_CREATED_NEW_KEY},                          // Ärger
      {"\xc3\xa4RGER", REG_OPENED_EXISTING_KEY},                      // äRGER
      {"\xd0\x9a\xd0\xbb\xd1\x8e\xd1\x87", REG_CREATED_NEW_KEY},      // Ключ
      {"\xd0\x9a\xd0\x9b\xd0\xae\xd0\xa7", REG_OPENED_EXISTING_KEY},  // КЛЮЧ
      {"Stra\xc3\x9f"
       "e",
       REG_CREATED_NEW_KEY},  // Straße
      {"STRASSE", REG_CREATED_NEW_KEY},
  };
  for (const Row& row : rows) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(root_, row.path, 0, nullptr, 0, 0, nullptr, &key, &disposition),
              ERROR_SUCCESS)
        << row.path;
    EXPECT_EQ(disposition, row.disposition) << row.path;
    RegCloseKey(key);
  }
  EXPECT_EQ(SubkeyNames(root_), (Names{"Software", "STRASSE",
                                       "Stra\xc3\x9f"
                                       "e",
                                       "\xc3\x84rger", "\xd0\x9a\xd0\xbb\xd1\x8e\xd1\x87"}));
}

TEST_F(RegKeysTest, EnumKeyReportsBufferAndIndexLimits) {
  RegCloseKey(CreateKey(root_, "Name"));
  char name[8];
  DWORD length = 4;  // "Name" needs 5 with its terminator
  EXPECT_EQ(RegEnumKeyExA(root_, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  length = 5;
  EXPECT_EQ(RegEnumKeyExA(root_, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(length, 4u);
  EXPECT_STREQ(name, "Name");
  length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(root_, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegEnumKeyExA(root_, 0, nullptr, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST_F(RegKeysTest, OpenFindsOnlyExistingKeys) {
  RegCloseKey(CreateKey(root_, "Software\\Policies"));
  struct Row {
    const char* path;
    LSTATUS status;
  };
  const Row rows[] = {
      {"Software\\Policies", ERROR_SUCCESS},
      {"software\\policies\\", ERROR_SUCCESS},
      {"", ERROR_SUCCESS},
      {nullptr, ERROR_SUCCESS},
      {"Software\\Missing", ERROR_FILE_NOT_FOUND},
      {"Missing\\Policies", ERROR_FILE_NOT_FOUND},
      {"\\Software", ERROR_BAD_PATHNAME},
      {"Software\\\\Policies", ERROR_SUCCESS},
  };
  for (const Row& row : rows) {
    const char* shown = row.path ? row.path : "(null)";
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(root_, row.path, 0, KEY_READ, &key), row.status) << shown;
    EXPECT_EQ(key != nullptr, row.status == ERROR_SUCCESS) << shown;
    EXPECT_NE(key, root_) << shown;
    RegCloseKey(key);
  }
  EXPECT_FALSE(KeyExists(root_, "Software\\Missing")) << "opening creates nothing";
}

TEST_F(RegKeysTest, EmptySubkeyOpensANewHandleToTheSameKey) {
  HKEY key = CreateKey(root_, "K");
  HKEY same = nullptr;
  ASSERT_EQ(RegCreateKeyExA(key, nullptr, 0, nullptr, 0, 0, nullptr, &same, nullptr), 0);
  EXPECT_NE(same, key);
  RegCloseKey(CreateKey(same, "Child"));
  EXPECT_EQ(SubkeyNames(key), Names{"Child"});
  EXPECT_EQ(RegCloseKey(same), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegKeysTest, DeleteFollowsWindowsRules) {
  struct Row {
    const char* path;
    LSTATUS status;
    Names keys_left;  // subkeys of "Tree" afterwards
  };
  const Row rows[] = {
      {"Tree\\Branch", ERROR_ACCESS_DENIED, {"Branch", "Leaf"}},
      {"Tree\\Missing", ERROR_FILE_NOT_FOUND, {"Branch", "Leaf"}},
      {"Missing\\Leaf", ERROR_FILE_NOT_FOUND, {"Branch", "Leaf"}},
      {"\\Tree\\Leaf", ERROR_BAD_PATHNAME, {"Branch", "Leaf"}},
      {"Tree\\\\Leaf", ERROR_SUCCESS, {"Branch"}},
      {nullptr, ERROR_INVALID_PARAMETER, {"Branch", "Leaf"}},
      {"", ERROR_ACCESS_DENIED, {"Branch", "Leaf"}},  // the hive's root
      {"Tree\\Leaf", ERROR_SUCCESS, {"Branch"}},
      {"tree\\LEAF\\", ERROR_SUCCESS, {"Branch"}},
      {"TREE\\branch\\twig", ERROR_SUCCESS, {"Branch", "Leaf"}},
  };
  for (const Row& row : rows) {
    const char* shown = row.path ? row.path : "(null)";
    RegistryHive hive;
    HKEY root = hive.OpenRoot();
    RegCloseKey(CreateKey(root, "Tree\\Branch\\Twig"));
    RegCloseKey(CreateKey(root, "Tree\\Leaf"));
    EXPECT_EQ(RegDeleteKeyA(root, row.path), row.status) << shown;
    HKEY tree = CreateKey(root, "Tree");
    EXPECT_EQ(SubkeyNames(tree), row.keys_left) << shown;
    RegCloseKey(tree);
    RegCloseKey(root);
  }
}

TEST_F(RegKeysTest, DeletedKeyRefusesItsOpenHandles) {
  HKEY leaf = CreateKey(root_, "Tree\\Leaf");
  HKEY tree = CreateKey(root_, "Tree");
  ASSERT_EQ(RegDeleteKeyA(tree, "Leaf"), ERROR_SUCCESS);
  const BYTE data[] = {1};
  HKEY child = nullptr;
  char name[16];
  DWORD length = sizeof name;
  EXPECT_EQ(RegSetValueExA(leaf, "V", 0, REG_BINARY, data, 1), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCreateKeyExA(leaf, "Child", 0, nullptr, 0, 0, nullptr, &child, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_EQ(RegEnumKeyExA(leaf, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyA(leaf, ""), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(leaf), ERROR_SUCCESS);
  // Creating it again makes a new key; the old handle's key stays gone.
  HKEY again = CreateKey(tree, "Leaf");
  EXPECT_NE(again, nullptr);
  RegCloseKey(again);
  RegCloseKey(tree);
}

TEST_F(RegKeysTest, KeyDeletesItselfThroughAnEmptySubkey) {
  HKEY leaf = CreateKey(root_, "Tree\\Leaf");
  EXPECT_EQ(RegDeleteKeyA(leaf, ""), ERROR_SUCCESS);
  EXPECT_FALSE(KeyExists(root_, "Tree\\Leaf"));
  EXPECT_TRUE(KeyExists(root_, "Tree"));
  RegCloseKey(leaf);
}

TEST_F(RegKeysTest, MisusedHandlesGetInvalidHandle) {
  HKEY closed = CreateKey(root_, "Closed");
  ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  int local = 0;
  const HKEY handles[] = {nullptr, closed, reinterpret_cast<HKEY>(0x80000002),
                          reinterpret_cast<HKEY>(&local)};
  for (HKEY handle : handles) {
    HKEY key = nullptr;
    char name[16];
    DWORD length = sizeof name;
    const BYTE data[] = {1};
    SCOPED_TRACE(reinterpret_cast<uintptr_t>(handle));
    EXPECT_EQ(RegCreateKeyExA(handle, "K", 0, nullptr, 0, 0, nullptr, &key, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(handle, "K", 0, 0, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteKeyA(handle, "K"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumKeyExA(handle, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(handle, "V", 0, REG_BINARY, data, 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(handle, "V", nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumValueA(handle, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(handle), ERROR_INVALID_HANDLE);
  }
  EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE) << "closing twice";
}

TEST(RegistryHiveTest, HandlesOutliveTheirHive) {
  auto hive = std::make_unique<RegistryHive>();
  HKEY root = hive->OpenRoot();
  HKEY key = CreateKey(root, "Software\\Policies");
  hive.reset();
  const BYTE data[] = {7};
  EXPECT_EQ(RegSetValueExA(key, "V", 0, REG_BINARY, data, 1), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNames(root), Names{"Software"});
  EXPECT_EQ(RegDeleteKeyA(root, "Software\\Policies"), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
}

TEST(RegistryThreadsTest, ThreadsShareAHive) {
  constexpr int kThreads = 4;
  constexpr int kKeysEach = 100;
  RegistryHive hive;
  HKEY root = hive.OpenRoot();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&hive, root, t] {
      for (int k = 0; k < kKeysEach; ++k) {
        std::string path = "Shared\\T" + std::to_string(t) + "\\K" + std::to_string(k);
        HKEY key = CreateKey(root, path.c_str());
        const BYTE data[] = {static_cast<BYTE>(k)};
        RegSetValueExA(key, "V", 0, REG_BINARY, data, 1);
        RegCloseKey(key);
        if (k % 10 == 0) hive.Save();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  HKEY shared = CreateKey(root, "Shared");
  EXPECT_EQ(SubkeyNames(shared).size(), size_t{kThreads});
  for (int t = 0; t < kThreads; ++t) {
    HKEY below = CreateKey(shared, ("T" + std::to_string(t)).c_str());
    EXPECT_EQ(SubkeyNames(below).size(), size_t{kKeysEach}) << t;
    RegCloseKey(below);
  }
  RegCloseKey(shared);
  RegCloseKey(root);
}

// In GBK the second byte of a double-byte character may be 0x5C, the backslash: it must not
// split the name.
TEST_F(RegKeysTest, DoubleByteTrailBackslashStaysInTheName) {
  ScopedLocale gbk(kGbkLocale);
  ASSERT_TRUE(gbk.active());
  const char* path = "\x81\x5c\\Sub";  // U+4E57, then a real separator
  HKEY key = CreateKey(root_, path);
  ASSERT_NE(key, nullptr);
  RegCloseKey(key);
  EXPECT_EQ(SubkeyNames(root_), Names{"\x81\x5c"});
  EXPECT_TRUE(KeyExists(root_, path));
  const std::string stored_path("\x57\x4E\\\0S\0u\0b\0", 10);
  EXPECT_NE(hive_.Save().find(stored_path), std::string::npos);
  EXPECT_EQ(RegDeleteKeyA(root_, "\x81\x5c\\Sub"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(root_, "\x81\x5c"), ERROR_SUCCESS);
}

}  // namespace
